#include "engine/ProgressMeter.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

class ProgressMeterTest : public testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    ProgressMeter meter;
};

TEST_F(ProgressMeterTest, RateIsTheGrowthOfHalfASecondTimesTwo)
{
    meter.tick(0, 1000000);
    const ProgressMeter::Shown shown = meter.tick(10240, 1000000);
    EXPECT_EQ(shown.rate, QStringLiteral("20.00 KB /Second"));
    EXPECT_EQ(shown.bytesPerSecond, 20480.0);
    EXPECT_EQ(shown.received, QStringLiteral("10.00 KB"));
    EXPECT_EQ(shown.elapsed, QStringLiteral("00:00:01"));
}

TEST_F(ProgressMeterTest, RateAndTimeLeftGoByTheLastSeconds)
{
    // A server that sends in bursts: 15000 and 5000 bytes in turn, every
    // half second, is steady at 20000 bytes a second.
    qint64 received = 0;
    EXPECT_EQ(meter.tick(received, 10000000).timeLeft, QString()) << "no time left before there is a rate";
    QStringList rates;
    QStringList left;
    for (int tick = 0; tick < 12; ++tick) {
        received += tick % 2 == 0 ? 15000 : 5000;
        const ProgressMeter::Shown shown = meter.tick(received, 10000000);
        if (tick >= 5) {
            rates.append(shown.rate);
            left.append(shown.timeLeft);
        }
    }
    for (const QString& rate : rates)
        EXPECT_EQ(rate, QStringLiteral("19.53 KB /Second"));
    // 10,000,000 bytes less 60,000 received, at 20,000 a second: 497 s;
    // three seconds later 494 s.
    EXPECT_EQ(left.first(), QStringLiteral("00:08:17"));
    EXPECT_EQ(left.last(), QStringLiteral("00:08:14"));
}

TEST_F(ProgressMeterTest, TimeLeftIsTheRestAtTheRate)
{
    meter.tick(8900, 10000);
    EXPECT_EQ(meter.tick(9000, 10000).timeLeft, QStringLiteral("00:00:05")) << "1000 bytes at 200 a second";
}

TEST_F(ProgressMeterTest, NoTimeLeftForAnUnknownSize)
{
    meter.tick(0, -1);
    EXPECT_EQ(meter.tick(5000, -1).timeLeft, QString());
}

} // namespace
