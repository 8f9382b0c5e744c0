#include "engine/RateMeter.h"

#include <algorithm>

void RateMeter::reset(qint64 received)
{
    counts_.assign(1, received);
    rate_ = 0;
}

double RateMeter::tick(qint64 received)
{
    if (counts_.empty() || received < counts_.back()) {
        // The first count, or one that went back (a restart from zero): a
        // new starting point.
        counts_.assign(1, received);
        rate_ = 0;
        return rate_;
    }
    counts_.push_back(received);
    while (counts_.size() > static_cast<std::size_t>(kTicks) + 1)
        counts_.pop_front();
    const auto ticks = static_cast<double>(counts_.size() - 1);
    rate_ = static_cast<double>(counts_.back() - counts_.front()) * 1000.0 / (ticks * tickMs_);
    return rate_;
}

std::optional<double> RateMeter::secondsLeft(qint64 remaining) const
{
    if (rate_ <= 0)
        return std::nullopt;
    return static_cast<double>(std::max<qint64>(remaining, 0)) / rate_;
}
