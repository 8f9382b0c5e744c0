#include "engine/ProgressMeter.h"

#include "core/Formatting.h"

#include <cmath>

ProgressMeter::Shown ProgressMeter::tick(qint64 received, qint64 size)
{
    Shown shown;
    shown.received = FormatSize(static_cast<double>(received));
    shown.bytesPerSecond = rate_.tick(received);
    shown.rate = FormatSize(shown.bytesPerSecond) + QStringLiteral(" /Second");
    const auto left = size > 0 ? rate_.secondsLeft(size - received) : std::nullopt;
    shown.timeLeft = left ? FormatDuration(*left) : QString();
    elapsedSeconds_ += kTickSeconds;
    shown.elapsed = FormatDuration(std::floor(elapsedSeconds_));
    return shown;
}

int ProgressMeter::percent(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 0;
    return static_cast<int>(std::floor(static_cast<double>(part) / static_cast<double>(whole) * 100.0));
}
