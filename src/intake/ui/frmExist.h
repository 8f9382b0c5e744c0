#pragma once

#include "core/FileExistsChoice.h"

#include <QDialog>

class TextLookup;

// "File Already Exists!?": asks what to do with a target file that is
// already there. Shown modally for one question.
class frmExist : public QDialog {
    Q_OBJECT
public:
    explicit frmExist(const TextLookup& text, QWidget* parent = nullptr);

    // Shows the dialog and returns the choice. Closing it without a choice
    // keeps the file.
    static FileExistsChoice ask(const TextLookup& text, QWidget* parent = nullptr);

private:
    // Dialog results of the two buttons that do not cancel; closing the
    // dialog gives QDialog::Rejected.
    enum Result { OverwriteChosen = QDialog::Accepted + 1, ResumeChosen };
};
