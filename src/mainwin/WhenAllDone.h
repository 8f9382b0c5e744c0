#pragma once

#include "mainwin/PowerCountdown.h"
#include "settings/AllDoneAction.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class DownloadJob;
class KevaContext;
class SystemPower;

// Acts once every download has ended, as the settings AllDoneAction and
// AllDoneCommand say: runs the command with the path of the last finished
// file, or suspends or shuts down the machine after a countdown the user can
// cancel. "Every download has ended" is the last running download ending
// while nothing waits to start; it counts once per turn from busy to idle,
// and only when a download ran since the last one (a start is no turn).
class WhenAllDone : public QObject {
    Q_OBJECT
public:
    WhenAllDone(KevaContext& context, SystemPower& power, QObject* parent = nullptr);

    // Whether a download still runs or waits to start.
    std::function<bool()> anythingToDo;
    // Shows the countdown before the machine is suspended or shut down;
    // without it the countdown runs unseen.
    std::function<void(PowerCountdown& countdown)> showCountdown;
    // How long the countdown gives the user.
    int countdownSeconds = 60;

    // Follows a job that starts, until it is deleted.
    void watch(DownloadJob& job);
    // The countdown that runs now, if any.
    PowerCountdown* countdown() const { return countdown_; }

private slots:
    void jobCompleted();
    void jobEnded();

private:
    void check();
    void runCommand(const QString& file);
    void countDown(AllDoneAction action);

    KevaContext& context_;
    SystemPower& power_;
    // A download ran since the program was last idle.
    bool ran_ = false;
    QString lastFile_;
    QPointer<PowerCountdown> countdown_;
};
