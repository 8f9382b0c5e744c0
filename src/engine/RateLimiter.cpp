#include "engine/RateLimiter.h"

#include "engine/FairShare.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// A socket that reads through the limiter holds at least this much unread.
constexpr qint64 kSocketBuffer = 64 * 1024;

// What is not read in time is kept for two rounds at most, so that a late
// round does not cost the connections bytes, and a pause in reading does not
// turn into a burst.
constexpr int kCarriedRounds = 2;

std::function<qint64()> steadyClock()
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [clock] { return clock->elapsed(); };
}

} // namespace

RateLimiter::RateLimiter(std::function<qint64()> nowMs)
    : nowMs_(nowMs ? std::move(nowMs) : steadyClock())
{
}

void RateLimiter::setLimit(qint64 bytesPerSecond)
{
    if (bytesPerSecond == limit_)
        return;
    limit_ = std::max<qint64>(0, bytesPerSecond);
    readers_.clear();
    pool_ = 0;
    roundStartMs_ = nowMs_();
}

qint64 RateLimiter::socketBuffer() const
{
    if (limit_ <= 0)
        return 0;
    return std::max(kSocketBuffer, limit_ * kRoundMs / 1000);
}

// A new round shares the bytes of the time gone by, and what the last round
// left unread, among the readers that have bytes waiting. A reader that did
// not read in the last round has gone (or has nothing to read): it is
// forgotten, and comes back with its next read.
void RateLimiter::startRoundIfDue()
{
    const qint64 now = nowMs_();
    if (now - roundStartMs_ < kRoundMs)
        return;
    const qint64 elapsed = std::min<qint64>(now - roundStartMs_, kRoundMs * kCarriedRounds);
    roundStartMs_ = now;
    qint64 budget = pool_ + limit_ * elapsed / 1000;
    for (auto it = readers_.begin(); it != readers_.end();) {
        budget += it->second.share;
        it = it->second.seen ? std::next(it) : readers_.erase(it);
    }
    budget = std::min(budget, limit_ * kRoundMs * kCarriedRounds / 1000);

    std::vector<qint64> wants;
    wants.reserve(readers_.size());
    for (const auto& [device, reader] : readers_)
        wants.push_back(reader.waiting);
    const std::vector<qint64> shares = FairShare(budget, wants);
    pool_ = budget;
    std::size_t k = 0;
    for (auto& [device, reader] : readers_) {
        reader.share = shares[k++];
        reader.seen = false;
        pool_ -= reader.share;
    }
}

qint64 RateLimiter::read(QIODevice& device, char* buffer, qint64 size)
{
    if (limit_ <= 0)
        return std::max<qint64>(device.read(buffer, size), 0);
    startRoundIfDue();
    Reader& reader = readers_[&device];
    reader.seen = true;
    const qint64 allowed = std::min(size, reader.share + pool_);
    const qint64 got = allowed > 0 ? std::max<qint64>(device.read(buffer, allowed), 0) : 0;
    const qint64 fromShare = std::min(got, reader.share);
    reader.share -= fromShare;
    pool_ -= got - fromShare;
    reader.waiting = device.bytesAvailable();
    return got;
}

bool RateLimiter::holdsBack(const QIODevice& device) const
{
    return limit_ > 0 && device.bytesAvailable() > 0;
}

int RateLimiter::waitMs() const
{
    if (limit_ <= 0)
        return 0;
    return static_cast<int>(std::clamp<qint64>(roundStartMs_ + kRoundMs - nowMs_(), 1, kRoundMs));
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
