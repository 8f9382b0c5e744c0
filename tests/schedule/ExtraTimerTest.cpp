#include "schedule/ExtraTimer.h"

#include "support/CaseName.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <vector>

namespace {

// One step of a script run against the timer.
struct Step {
    enum Op { Ticks, Enable, Disable, SetInterval, SetUnit } op;
    qint64 value = 0;
};

struct TimerCase {
    const char* name;
    std::vector<Step> script;
    // The ticks (counted from the first) on which the event came.
    std::vector<qint64> events;
};

class ExtraTimerScript : public testing::TestWithParam<TimerCase> { };

TEST_P(ExtraTimerScript, RaisesTheEventWhenTheCountReachesTheInterval)
{
    ExtraTimer timer;
    std::vector<qint64> events;
    qint64 ticks = 0;
    QObject::connect(&timer, &ExtraTimer::Timer, [&] { events.push_back(ticks); });
    for (const Step& step : GetParam().script) {
        switch (step.op) {
        case Step::Ticks:
            for (qint64 i = 0; i < step.value; ++i) {
                ++ticks;
                timer.Timer1_Timer();
            }
            break;
        case Step::Enable: timer.setEnabled(true); break;
        case Step::Disable: timer.setEnabled(false); break;
        case Step::SetInterval: timer.setInterval(static_cast<qint32>(step.value)); break;
        case Step::SetUnit: timer.setIntervalUnit(static_cast<qint32>(step.value)); break;
        }
    }
    EXPECT_EQ(events, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtraTimerScript,
    testing::Values(
        TimerCase {
            "TwoMinutes", {{Step::SetInterval, 2}, {Step::SetUnit, 1}, {Step::Enable}, {Step::Ticks, 250}}, {120, 240}},
        TimerCase {
            "ZeroEveryTick", {{Step::SetInterval, 0}, {Step::SetUnit, 0}, {Step::Enable}, {Step::Ticks, 3}}, {1, 2, 3}},
        TimerCase {"BelowZeroEveryTick", {{Step::SetInterval, -5}, {Step::Enable}, {Step::Ticks, 2}}, {1, 2}},
        TimerCase {"UnknownUnitNever", {{Step::SetUnit, 5}, {Step::Enable}, {Step::Ticks, 100000}}, {}},
        TimerCase {"NegativeUnitNever", {{Step::SetUnit, -1}, {Step::Enable}, {Step::Ticks, 1000}}, {}},
        TimerCase {"CreatedWithOneSecond", {{Step::Enable}, {Step::Ticks, 3}}, {1, 2, 3}},
        TimerCase {"HoursAndDays",
                   {{Step::SetUnit, 2}, {Step::Ticks, 3600}, {Step::SetUnit, 3}, {Step::Ticks, 86400}},
                   {3600, 90000}},
        // Disabling keeps the count: 30 counted, then 40 seconds, 10 more.
        TimerCase {"DisabledKeepsTheCount",
                   {{Step::SetInterval, 100},
                    {Step::Enable},
                    {Step::Ticks, 30},
                    {Step::Disable},
                    {Step::SetInterval, 40},
                    {Step::Enable},
                    {Step::Ticks, 15}},
                   {40}},
        // A new interval below the count reached comes at the next tick.
        TimerCase {"ShortenedBelowTheCount",
                   {{Step::SetInterval, 60}, {Step::Ticks, 50}, {Step::SetInterval, 30}, {Step::Ticks, 31}},
                   {51, 81}},
        TimerCase {"LengthenedMidCount",
                   {{Step::SetInterval, 60}, {Step::Ticks, 50}, {Step::SetInterval, 70}, {Step::Ticks, 30}},
                   {70}},
        TimerCase {
            "UnitChangedMidCount",
            {{Step::SetInterval, 2}, {Step::SetUnit, 1}, {Step::Ticks, 100}, {Step::SetUnit, 0}, {Step::Ticks, 4}},
            {101, 103}},
        // Far beyond 32 bits of ticks: it does not wrap round to fire at once.
        TimerCase {
            "ProductBeyond32Bits", {{Step::SetInterval, 2000000000}, {Step::SetUnit, 3}, {Step::Ticks, 10}}, {}}),
    CaseName());

TEST(ExtraTimer, StartsDisabledAndSwitchesItsOneSecondTimer)
{
    ExtraTimer timer;
    EXPECT_EQ(timer.Interval(), 1);
    EXPECT_EQ(timer.IntervalUnit(), 0);
    EXPECT_FALSE(timer.Enabled());
    timer.setEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    timer.setEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.property("Interval").toInt(), 1) << "the properties are named as stored";
    EXPECT_EQ(timer.property("IntervalUnit").toInt(), 0);
    EXPECT_EQ(timer.property("Enabled").toBool(), false);
}

// The wall clock against the ticks: the machine sleeps or the clock is set.
struct ClockCase {
    const char* name;
    qint64 secondsPerTick; // how far the clock moves on each of the first ticks
    qint64 jumpSeconds;    // then once, on the next tick
    bool disabledOverJump; // the timer is switched off while the clock jumps
    int moves;             // ClockMoved raised
};

class ExtraTimerClock : public testing::TestWithParam<ClockCase> { };

TEST_P(ExtraTimerClock, TellsWhenTheClockPartsFromTheTicks)
{
    const ClockCase& c = GetParam();
    QDateTime now(QDate(2026, 12, 7), QTime(9, 0));
    ExtraTimer timer;
    timer.wallClock = [&now] { return now; };
    timer.setInterval(1);
    timer.setIntervalUnit(ExtraTimer::Hours);
    timer.setEnabled(true);
    QSignalSpy moved(&timer, &ExtraTimer::ClockMoved);
    QSignalSpy events(&timer, &ExtraTimer::Timer);
    for (int i = 0; i < 30; ++i) {
        now = now.addSecs(c.secondsPerTick);
        timer.Timer1_Timer();
    }
    if (c.disabledOverJump)
        timer.setEnabled(false);
    now = now.addSecs(c.jumpSeconds);
    if (c.disabledOverJump)
        timer.setEnabled(true);
    timer.Timer1_Timer();
    timer.Timer1_Timer();
    EXPECT_EQ(moved.count(), c.moves);
    EXPECT_EQ(events.count(), 0) << "a moved clock is no run-out interval";
    EXPECT_EQ(timer.ticks(), c.moves ? 1 : 32) << "the count starts again after a move";
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtraTimerClock,
                         testing::Values(ClockCase {"InStep", 1, 1, false, 0},
                                         ClockCase {"WithinAFewSeconds", 1, 5, false, 0},
                                         ClockCase {"SleptAnHour", 1, 3600, false, 1},
                                         ClockCase {"SetBack", 1, -600, false, 1},
                                         ClockCase {"SwitchedOffMeanwhile", 1, 3600, true, 0}),
                         CaseName());

TEST(ExtraTimer, WithoutAWallClockOnlyCounts)
{
    ExtraTimer timer;
    timer.setInterval(3);
    QSignalSpy moved(&timer, &ExtraTimer::ClockMoved);
    QSignalSpy events(&timer, &ExtraTimer::Timer);
    for (int i = 0; i < 6; ++i)
        timer.Timer1_Timer();
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(events.count(), 2);
}

} // namespace
