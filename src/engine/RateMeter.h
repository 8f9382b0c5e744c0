#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>

// The transfer rate over the last few seconds, from the byte count seen at
// each progress tick. One tick's count jumps with the server's bursts and
// with the timing of the tick; the average over a few seconds moves steadily,
// and so does the time left that is worked out from it.
class RateMeter {
public:
    static constexpr int kTicks = 6; // 3 seconds of 500 ms ticks

    explicit RateMeter(int tickMs = 500)
        : tickMs_(tickMs)
    {
    }

    // Starts afresh with `received` bytes in place.
    void reset(qint64 received);
    // One tick with `received` bytes in place; returns the rate in bytes per second.
    double tick(qint64 received);
    double rate() const { return rate_; }
    // At least one tick has measured a rate (zero or more).
    bool measured() const { return counts_.size() >= 2; }
    // Seconds until `remaining` bytes are in at the current rate; nothing
    // while there is no rate to go by.
    std::optional<double> secondsLeft(qint64 remaining) const;

private:
    int tickMs_;
    std::deque<qint64> counts_;
    double rate_ = 0;
};
