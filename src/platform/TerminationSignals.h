#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a signal of the Qt event loop, so the
// program can end the way it ends on its own (saving what it must) when the
// system or the user asks it to.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    static void onSignal(int signalNumber);

    QSocketNotifier* notifier_ = nullptr;
};
