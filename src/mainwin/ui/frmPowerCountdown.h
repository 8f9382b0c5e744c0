#pragma once

#include <QDialog>
#include <QPointer>

class PowerCountdown;
class QLabel;
class QProgressBar;
class QPushButton;
class TextLookup;

// The countdown before the machine is suspended or shut down, over a
// PowerCountdown: the seconds left, Cancel (also Escape and the caption
// bar's close button) and Now. It closes itself when the count is over.
class frmPowerCountdown : public QDialog {
    Q_OBJECT
public:
    frmPowerCountdown(const TextLookup& text, PowerCountdown& countdown, QWidget* parent = nullptr);

    // Shows a new window over `countdown`, on top of the others.
    static frmPowerCountdown* showFor(const TextLookup& text, PowerCountdown& countdown);

public slots:
    void reject() override;

private:
    void refresh();

    QPointer<PowerCountdown> countdown_;
    QLabel* lblCountdown = nullptr;
    QProgressBar* barCountdown = nullptr;
    QPushButton* cmdNow = nullptr;
    QPushButton* cmdCancel = nullptr;
};
