#pragma once

#include <QIODevice>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <map>
#include <optional>

// One budget of bytes a second for every connection of every download,
// handed out in rounds of kRoundMs. When a round starts, its budget is shared
// evenly among the connections that have bytes waiting (FairShare): one that
// wants less than its share leaves the rest to the others, and what nobody
// wanted stays in a pool that any connection may read from during the round.
// A connection that has read its share reads again in the next round, after
// waitMs(); what it leaves unread stays with its socket, whose full buffer
// makes the server slow down.
class RateLimiter {
public:
    static constexpr int kRoundMs = 100;

    // `nowMs` gives the time in milliseconds on a clock that never goes back;
    // by default the system's monotonic clock.
    explicit RateLimiter(std::function<qint64()> nowMs = {});

    // Bytes a second; 0 for no limit.
    void setLimit(qint64 bytesPerSecond);
    qint64 limit() const { return limit_; }
    // The read buffer of a socket that reads through the limiter: room for a
    // whole round's budget, so that a connection whose server keeps up shows
    // that it wants all of its share. 0 (no bound) without a limit.
    qint64 socketBuffer() const;

    // Reads from `device` into `buffer` what the device's share allows, at
    // most `size`; 0 when it allows nothing now or nothing is there.
    qint64 read(QIODevice& device, char* buffer, qint64 size);
    // Bytes wait in `device` that the budget did not let through.
    bool holdsBack(const QIODevice& device) const;
    // Milliseconds until the next round.
    int waitMs() const;

    // A rate as wget writes it: "300", "500k", "1.5M" (k = 1024 bytes).
    static std::optional<qint64> parseRate(const QString& text);

private:
    // A device that reads through the limiter. It is known by its address,
    // which is used only while the device itself reads.
    struct Reader {
        qint64 share = 0;   // what it may still read in this round
        qint64 waiting = 0; // bytes it left unread at its last read
        bool seen = false;  // it read, or tried to, in this round
    };

    void startRoundIfDue();

    std::function<qint64()> nowMs_;
    qint64 limit_ = 0;
    qint64 roundStartMs_ = 0;
    qint64 pool_ = 0; // bytes of this round that no reader's share holds
    std::map<const QIODevice*, Reader> readers_;
};
