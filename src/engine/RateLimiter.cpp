#include "engine/RateLimiter.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// The budget holds a tenth of a second of the rate at most, so a pause in
// reading does not turn into a burst.
constexpr double kBurstSeconds = 0.1;
// No read takes more than a fiftieth of a second of the rate.
constexpr double kPieceSeconds = 0.02;

} // namespace

void RateLimiter::setLimit(qint64 bytesPerSecond)
{
    if (bytesPerSecond == limit_)
        return;
    limit_ = std::max<qint64>(0, bytesPerSecond);
    budget_ = 0;
    clock_.start();
}

void RateLimiter::refill()
{
    const qint64 elapsed = clock_.restart();
    budget_ = std::min(budget_ + static_cast<double>(limit_) * static_cast<double>(elapsed) / 1000.0,
                       static_cast<double>(limit_) * kBurstSeconds);
}

qint64 RateLimiter::take(qint64 wanted)
{
    if (limit_ <= 0)
        return wanted;
    refill();
    const double piece = std::max(1024.0, static_cast<double>(limit_) * kPieceSeconds);
    const auto granted = static_cast<qint64>(std::floor(std::min({budget_, piece, static_cast<double>(wanted)})));
    if (granted <= 0)
        return 0;
    budget_ -= static_cast<double>(granted);
    return granted;
}

void RateLimiter::giveBack(qint64 bytes)
{
    if (limit_ > 0 && bytes > 0)
        budget_ += static_cast<double>(bytes);
}

qint64 RateLimiter::read(QIODevice& device, char* buffer, qint64 size)
{
    const qint64 allowed = take(size);
    if (allowed <= 0)
        return 0;
    const qint64 got = device.read(buffer, allowed);
    giveBack(allowed - std::max<qint64>(got, 0));
    return std::max<qint64>(got, 0);
}

bool RateLimiter::holdsBack(const QIODevice& device) const
{
    return limit_ > 0 && device.bytesAvailable() > 0;
}

int RateLimiter::waitMs() const
{
    if (limit_ <= 0)
        return 0;
    const double missing = std::max(0.0, 1024.0 - budget_);
    return std::clamp(static_cast<int>(std::ceil(missing * 1000.0 / static_cast<double>(limit_))), 1, 1000);
}

std::optional<qint64> RateLimiter::parseRate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kKmM]?)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toLower();
    const double factor = unit == QStringLiteral("k") ? 1024.0 : unit == QStringLiteral("m") ? 1048576.0 : 1.0;
    const double bytes = match.captured(1).toDouble() * factor;
    if (bytes < 1 || bytes > 1e15)
        return std::nullopt;
    return static_cast<qint64>(std::llround(bytes));
}
