#include "engine/ReconnectPolicy.h"

#include "settings/AppSettings.h"

#include <algorithm>

void ReconnectPolicy::reset(qint64 received)
{
    furthest_ = received;
    fruitless_ = 0;
}

std::optional<int> ReconnectPolicy::next(qint64 received, const AppSettings& settings)
{
    if (received > furthest_) {
        furthest_ = received;
        fruitless_ = 0;
        return 0;
    }
    ++fruitless_;
    if (!settings.Retry || fruitless_ > settings.Retries)
        return std::nullopt;
    const qint64 ceiling = std::max<qint64>(1, settings.RetryTime) * 1000;
    const qint64 wait = qint64 {1000} << std::min(fruitless_ - 1, 20);
    return static_cast<int>(std::min(wait, ceiling));
}
