#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The last chance to keep the machine awake: counts down the seconds before
// it is suspended or shut down. cancel() stops it; actNow(), or the end of the
// count, acts. Either way it is over (finished) and deletes itself.
class PowerCountdown : public QObject {
    Q_OBJECT
public:
    // `message` holds %1 for the seconds left.
    PowerCountdown(QString message, int seconds, QObject* parent = nullptr);

    // The message with the seconds left in it.
    QString lblCountdown() const;
    int secondsLeft() const { return secondsLeft_; }

    void start();
    void cancel();
    void actNow();
    // One second passed (the timer's tick, also called by tests).
    void tick();

signals:
    void changed();
    // The time is up, or the user chose Now.
    void due();
    // Over, acted or not: its window closes.
    void finished();

private:
    // Stops the count; false when it was over already.
    bool finish();

    QString message_;
    int secondsLeft_;
    QTimer timer_;
};
