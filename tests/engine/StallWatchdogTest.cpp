#include "engine/StallWatchdog.h"

#include "settings/AppSettings.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

AppSettings watchdogSettings(bool retry)
{
    AppSettings settings;
    settings.Retry = retry;
    settings.RetryTime = 300;
    settings.TimeResume = 300;
    settings.TimeNoResume = 600;
    settings.Retries = 30;
    return settings;
}

struct StallCase {
    const char* name;
    bool resumable;
    bool retry;
    int firstRestartTick; // 0: none within 40 ticks
    int stalledAfter;     // the stall count right after that restart
};

class StallWatchdogCases : public testing::TestWithParam<StallCase> { };

// Nothing arrives after the first tick, which sees the bytes in place; the
// next (100 ms after it) adds nothing, then each 30 s tick
// adds 30 s of stall until the limits of the settings are reached.
TEST_P(StallWatchdogCases, RestartsAStalledDownloadWhenTheSettingsSay)
{
    const StallCase& c = GetParam();
    const AppSettings settings = watchdogSettings(c.retry);
    StallWatchdog watchdog;
    watchdog.start();
    int restartedAt = 0;
    for (int tick = 1; tick <= 40 && restartedAt == 0; ++tick) {
        if (watchdog.tick(1000, c.resumable, settings))
            restartedAt = tick;
    }
    EXPECT_EQ(restartedAt, c.firstRestartTick);
    if (restartedAt != 0) {
        EXPECT_EQ(watchdog.stalledSeconds(), c.stalledAfter);
        EXPECT_EQ(watchdog.attempts(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, StallWatchdogCases,
                         testing::Values(StallCase {"ResumableWithRetry", true, true, 12, 0},
                                         StallCase {"ResumableWithoutRetryWaits", true, false, 0, 0},
                                         StallCase {"NotResumableKeepsItsStall", false, true, 12, 300}),
                         CaseName());

TEST(StallWatchdog, BytesSeenByTheProgressTickAreNoStall)
{
    const AppSettings settings = watchdogSettings(true);
    StallWatchdog watchdog;
    watchdog.start();
    qint64 received = 0;
    for (int tick = 0; tick < 40; ++tick) {
        received += 100;
        watchdog.seen(received - 50);
        EXPECT_FALSE(watchdog.tick(received, true, settings));
    }
    EXPECT_EQ(watchdog.stalledSeconds(), 0);
    EXPECT_EQ(watchdog.intervalMs(), StallWatchdog::kFirstTickMs) << "no stall, no longer interval";
}

} // namespace
