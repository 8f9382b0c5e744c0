#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

// A timer for long intervals: an event after `Interval` seconds, minutes,
// hours or days, counted in the ticks of a one-second timer. It keeps
// running after an event; the next one comes a full interval later.
//
// Ticks are counted on the machine's running time, which stands still while
// it sleeps, and the wall clock can be set. With a wall clock given, every
// tick compares it with the ticks counted: when the two part by more than a
// few seconds, ClockMoved is raised instead of counting on, so that the owner
// can work out its interval again from the time it is now.
class ExtraTimer : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint32 Interval READ Interval WRITE setInterval)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(qint32 IntervalUnit READ IntervalUnit WRITE setIntervalUnit)
public:
    enum Unit : qint32 { Seconds = 0, Minutes = 1, Hours = 2, Days = 3 };
    static constexpr int kTickMs = 1000;
    // How far the wall clock may stray from the counted ticks.
    static constexpr qint64 kClockToleranceMs = 5000;

    explicit ExtraTimer(QObject* parent = nullptr);

    qint32 Interval() const { return interval_; }
    void setInterval(qint32 interval) { interval_ = interval; }
    qint32 IntervalUnit() const { return unit_; }
    void setIntervalUnit(qint32 unit) { unit_ = unit; }
    // Whether the one-second timer runs. Switching it off keeps the count.
    bool Enabled() const { return Timer1.isActive(); }
    void setEnabled(bool enabled);

    // The ticks counted since the last event.
    qint64 ticks() const { return counter_; }

    // The time of day to compare the ticks with; none, no comparison.
    std::function<QDateTime()> wallClock;

    // One tick of the one-second timer (tests call it themselves).
    void Timer1_Timer();

signals:
    // The interval has run out.
    void Timer();
    // The wall clock no longer agrees with the counted ticks (the machine
    // slept, or the clock was set). The count starts again from 0 afterwards.
    void ClockMoved();

private:
    static qint64 unitFactor(qint32 unit);
    bool clockMoved();

    QTimer Timer1;
    qint32 interval_ = 1;
    qint32 unit_ = Seconds;
    qint64 counter_ = 0;
    // The wall clock at the start of the comparison, and the ticks since.
    QDateTime reference_;
    qint64 ticksSinceReference_ = 0;
};
