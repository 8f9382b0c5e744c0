#include "schedule/TimeDifference.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct DiffCase {
    const char* name;
    int to[4];
    QTime from;
    TimeDifference expected;
};

class TimeDifferenceCases : public testing::TestWithParam<DiffCase> { };

TEST_P(TimeDifferenceCases, BorrowsFieldByField)
{
    const DiffCase& c = GetParam();
    const TimeDifference d = TimeDifference::between(c.to[0], c.to[1], c.to[2], c.to[3], c.from);
    EXPECT_EQ(d.H, c.expected.H);
    EXPECT_EQ(d.M, c.expected.M);
    EXPECT_EQ(d.S, c.expected.S);
    EXPECT_EQ(d.MS, c.expected.MS);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeDifferenceCases,
    testing::Values(DiffCase {"Ahead", {12, 10, 0, 0}, QTime(10, 0), {2, 10, 0, 0}},
                    DiffCase {"BorrowsEveryField", {10, 0, 0, 0}, QTime(9, 59, 20, 250), {0, 0, 39, 750}},
                    DiffCase {"AMinuteAgo", {10, 0, 0, 0}, QTime(10, 1), {-1, 59, 0, 0}},
                    DiffCase {"JustPast", {10, 0, 0, 0}, QTime(10, 0, 0, 1), {-1, 59, 59, 999}},
                    DiffCase {"Same", {10, 0, 0, 0}, QTime(10, 0), {0, 0, 0, 0}},
                    DiffCase {"HoursBeyondTheDay", {24, 0, 0, 0}, QTime(23, 0), {1, 0, 0, 0}},
                    DiffCase {"ToMidnight", {23, 59, 59, 0}, QTime(10, 0, 30), {13, 59, 29, 0}}),
    CaseName());

} // namespace
