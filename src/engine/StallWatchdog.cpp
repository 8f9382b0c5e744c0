#include "engine/StallWatchdog.h"

#include "settings/AppSettings.h"

#include <cmath>

bool StallWatchdog::tick(qint64 received, bool resumable, const AppSettings& settings)
{
    bool restart = false;
    if (received != lastTotal_) {
        stalledSeconds_ = 0;
    } else {
        // Rounded half to even, so the first 100 ms tick adds nothing.
        stalledSeconds_ = static_cast<int>(std::nearbyint(static_cast<double>(intervalMs_) / 1000.0 + stalledSeconds_));
        intervalMs_ = attempts_ > 1 ? settings.RetryTime * 1000 : 30000;
        if (stalledSeconds_ >= settings.RetryTime && attempts_ <= settings.Retries) {
            if (resumable && stalledSeconds_ >= settings.TimeResume) {
                if (settings.Retry) {
                    ++attempts_;
                    stalledSeconds_ = 0;
                    restart = true;
                }
            } else {
                ++attempts_;
                restart = true;
            }
        } else if (stalledSeconds_ >= settings.TimeNoResume) {
            ++attempts_;
            stalledSeconds_ = 0;
            restart = true;
        }
    }
    lastTotal_ = received;
    return restart;
}
