#include "schedule/ExtraTimer.h"

#include <cstdlib>

ExtraTimer::ExtraTimer(QObject* parent)
    : QObject(parent)
{
    // Precise ticks keep the count in step with the clock over long waits.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(kTickMs);
    connect(&Timer1, &QTimer::timeout, this, &ExtraTimer::Timer1_Timer);
}

void ExtraTimer::setEnabled(bool enabled)
{
    // Time that passed while switched off is no drift of the clock.
    reference_ = QDateTime();
    ticksSinceReference_ = 0;
    if (enabled)
        Timer1.start();
    else
        Timer1.stop();
}

qint64 ExtraTimer::unitFactor(qint32 unit)
{
    switch (unit) {
    case Seconds: return 1;
    case Minutes: return 60;
    case Hours: return 3600;
    case Days: return 86400;
    default: return 0;
    }
}

bool ExtraTimer::clockMoved()
{
    if (!wallClock)
        return false;
    const QDateTime now = wallClock();
    if (!reference_.isValid()) {
        reference_ = now;
        ticksSinceReference_ = 0;
        return false;
    }
    ++ticksSinceReference_;
    const qint64 drift = reference_.addMSecs(ticksSinceReference_ * kTickMs).msecsTo(now);
    if (std::abs(drift) <= kClockToleranceMs)
        return false;
    reference_ = now;
    ticksSinceReference_ = 0;
    return true;
}

void ExtraTimer::Timer1_Timer()
{
    ++counter_;
    if (clockMoved()) {
        emit ClockMoved();
        counter_ = 0;
        return;
    }
    const qint64 factor = unitFactor(unit_);
    if (factor == 0)
        return;
    // The product is taken in 64 bits, so no interval wraps around.
    if (counter_ < static_cast<qint64>(interval_) * factor)
        return;
    emit Timer();
    counter_ = 0;
}
