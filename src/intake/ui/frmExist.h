#pragma once

#include <QDialog>

class KevaContext;

// "File Already Exists!?": asks what to do with a target file that is
// already there. Shown modally for one question.
class frmExist : public QDialog {
    Q_OBJECT
public:
    // The answers, as the file-exists choice stores them.
    static constexpr int kOverwrite = 0;
    static constexpr int kResume = -1;
    static constexpr int kCancel = -2;

    explicit frmExist(const KevaContext& context, QWidget* parent = nullptr);

    // Shows the dialog and returns kOverwrite, kResume or kCancel. Closing
    // it without a choice cancels.
    static int ask(const KevaContext& context, QWidget* parent = nullptr);

private:
    // Dialog results of the two buttons that do not cancel; closing the
    // dialog gives QDialog::Rejected.
    enum Result { OverwriteChosen = QDialog::Accepted + 1, ResumeChosen };
};
