#pragma once

#include <QDialog>

class AboutState;
class QLabel;
class QPushButton;

// The about box: the program's name, version, program folder and a short
// description, over the AboutState. It does not hold the main window; OK
// closes it and the picture button starts the system-information program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(AboutState& state, QWidget* parent = nullptr);

    // Shows the open about box, or a new one owned by `parent`.
    static frmAbout* showFor(AboutState& state, QWidget* parent);

private:
    void applyCaptions();

    AboutState& state_;
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersionCaption = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblLocationCaption = nullptr;
    QLabel* lblLocation = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};
