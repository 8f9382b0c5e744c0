#pragma once

#include "engine/RateMeter.h"

#include <QString>

// The figures a running download shows, fed with its received bytes every
// half second: the amount, the rate and the time left by the last few
// seconds (so that they move steadily), and the time it has run.
class ProgressMeter {
public:
    static constexpr double kTickSeconds = 0.5;

    struct Shown {
        QString received;
        QString rate;     // "20.00 KB /Second"
        QString timeLeft; // empty until there is a rate
        QString elapsed;
        double bytesPerSecond = 0;
    };

    // The transfer goes on from `received` bytes (a start or a resume).
    void reset(qint64 received) { rate_.reset(received); }
    // `received` bytes of `size` (-1 or 0 when unknown) are in place.
    Shown tick(qint64 received, qint64 size);

    // The whole percent that `part` is of `whole` (0 while `whole` is unknown).
    static int percent(qint64 part, qint64 whole);

private:
    RateMeter rate_;
    double elapsedSeconds_ = 0;
};
