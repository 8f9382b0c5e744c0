#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a signal on the Qt event loop, so a program
// asked to end (a session logging out, Ctrl+C) closes the way its user would
// close it, saving its state, instead of dying on the spot.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested();

private:
    static void onSignal(int number);
    static int writeEnd_;
    int readEnd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
