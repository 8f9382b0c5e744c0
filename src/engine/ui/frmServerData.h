#pragma once

#include <QDialog>

class TextLookup;
class QPlainTextEdit;

// "Server Interaction Info": a download's exchange with its server, read
// only, with a button that copies it to the clipboard. Not modal; it deletes
// itself when it closes.
class frmServerData : public QDialog {
    Q_OBJECT
public:
    frmServerData(const TextLookup& text, const QString& log, QWidget* parent = nullptr);

private:
    QPlainTextEdit* txtServerData;
};
