#include "engine/RateLimiter.h"

#include "support/CaseName.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr qint64 kLimit = 1000 * 1024;

// Reads what the limiter lets through now, as a connection does.
qint64 drain(RateLimiter& limiter, QBuffer& device)
{
    std::vector<char> buffer(256 * 1024);
    qint64 total = 0;
    while (const qint64 got = limiter.read(device, buffer.data(), static_cast<qint64>(buffer.size())))
        total += got;
    return total;
}

// Two readers over one second of rounds, the first always reading first:
// what each gets depends on what it wants, never on who reads first.
struct RoundsCase {
    const char* name;
    qint64 firstHas; // bytes waiting for each reader
    qint64 secondHas;
    qint64 firstGets; // bytes each reads in the second
    qint64 secondGets;
};

class RateLimiterRounds : public testing::TestWithParam<RoundsCase> { };

TEST_P(RateLimiterRounds, ShareTheBudgetWhoeverReadsFirst)
{
    const RoundsCase& c = GetParam();
    qint64 now = 0;
    RateLimiter limiter([&] { return now; });
    limiter.setLimit(kLimit);
    QByteArray firstData(c.firstHas, 'a');
    QByteArray secondData(c.secondHas, 'b');
    QBuffer first(&firstData);
    QBuffer second(&secondData);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));

    qint64 firstGot = drain(limiter, first);
    qint64 secondGot = drain(limiter, second);
    EXPECT_EQ(firstGot + secondGot, 0) << "the first round's budget comes after a round";
    for (int round = 0; round < 1000 / RateLimiter::kRoundMs; ++round) {
        EXPECT_EQ(limiter.waitMs(), RateLimiter::kRoundMs);
        now += RateLimiter::kRoundMs;
        firstGot += drain(limiter, first);
        secondGot += drain(limiter, second);
    }
    EXPECT_EQ(firstGot, c.firstGets);
    EXPECT_EQ(secondGot, c.secondGets);
}

INSTANTIATE_TEST_SUITE_P(Cases, RateLimiterRounds,
                         testing::Values(RoundsCase {"BothWantMore", 2 * kLimit, 2 * kLimit, kLimit / 2, kLimit / 2},
                                         RoundsCase {"TheFirstWantsLess", 100000, 2 * kLimit, 100000, kLimit - 100000},
                                         RoundsCase {"TheSecondWantsLess", 2 * kLimit, 100000, kLimit - 100000, 100000},
                                         RoundsCase {"BothWantLess", 300000, 200000, 300000, 200000}),
                         CaseName());

} // namespace
