#include "engine/SegmentTable.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

AppSettings defaults()
{
    AppSettings settings;
    settings.Segment = 1;
    const double bounds[] = {2097152, 5242880, 5242880, 10485760, 10485760, 15728640, 15728640, 20971520, 20971520};
    for (int i = 1; i <= 9; ++i)
        settings.setSegmentBound(i, bounds[i - 1]);
    return settings;
}

struct CountCase {
    const char* name;
    qint64 size;
    int segments;
};

class SegmentCount : public testing::TestWithParam<CountCase> { };

TEST_P(SegmentCount, FollowsTheBounds)
{
    EXPECT_EQ(SegmentTable::segmentsFor(GetParam().size, defaults(), 0), GetParam().segments);
}

INSTANTIATE_TEST_SUITE_P(Cases, SegmentCount,
                         testing::Values(CountCase {"Small", 1000, 0}, CountCase {"JustBelowTwoMegabytes", 2097151, 0},
                                         CountCase {"TwoMegabytes", 2097152, 2},
                                         CountCase {"FiveMegabytes", 5242880, 2}, CountCase {"OneMore", 5242881, 3},
                                         CountCase {"TenMegabytes", 10485760, 3},
                                         CountCase {"FifteenMegabytesAndOne", 15728641, 5},
                                         CountCase {"TwentyMegabytesAndOne", 20971521, 6},
                                         CountCase {"FourGigabytes", 4LL << 30, 6}),
                         CaseName());

TEST(SegmentTable, SegmentingOffOrAGapKeepsOneConnection)
{
    AppSettings settings = defaults();
    settings.Segment = 0;
    EXPECT_EQ(SegmentTable::segmentsFor(30000000, settings, 0), 0);
    settings = defaults();
    settings.SegmentSize[3] = 6000000; // a gap between 5242880 and 6000000
    EXPECT_EQ(SegmentTable::segmentsFor(5500000, settings, 0), 0);
}

TEST(SegmentTable, SplitsEvenlyAndTheLastTakesTheRest)
{
    SegmentTable table;
    table.layoutSegments(10000001, 3);
    EXPECT_EQ(table.SegStart[0], 0);
    EXPECT_EQ(table.SegStart[1], 3333333);
    EXPECT_EQ(table.SegStart[2], 6666666);
    EXPECT_EQ(table.SegStart[3], 10000001);
    EXPECT_EQ(table.segmentEnd(2) - table.SegStart[2], 3333335);
    EXPECT_EQ(table.SegPos[1], 3333334);
    EXPECT_EQ(table.TotalReceived(), 1);
    EXPECT_EQ(table.requestStart(1), 3333333);
}

TEST(SegmentTable, SizesBeyondFourGigabytes)
{
    SegmentTable table;
    const qint64 size = 5LL * 1024 * 1024 * 1024 + 7;
    table.layoutSegments(size, 6);
    EXPECT_EQ(table.SegStart[6], size);
    table.SegPos[5] = table.segmentEnd(5) + 1;
    EXPECT_TRUE(table.segmentDone(5));
    EXPECT_EQ(table.receivedBytes(), size - table.SegStart[5]);
}

struct ResumeCase {
    const char* name;
    int segments;
    qint64 contentLength;
    qint64 fileLength;
    std::vector<qint64> positions; // SegPos after positioning
};

class SegmentResume : public testing::TestWithParam<ResumeCase> { };

TEST_P(SegmentResume, PositionsOnThePartialFile)
{
    const ResumeCase& c = GetParam();
    SegmentTable table;
    if (c.segments == 0)
        table.layoutSingle(c.contentLength);
    else
        table.layoutSegments(c.contentLength, c.segments);
    table.SegResume.fill(true);
    table.SetSegIndecies(c.fileLength, 4096);
    for (std::size_t i = 0; i < c.positions.size(); ++i)
        EXPECT_EQ(table.SegPos[i], c.positions[i]) << "segment " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SegmentResume,
    testing::Values(ResumeCase {"OneConnection", 0, 100000, 10000, {5904}},
                    ResumeCase {"ShortFileStartsOver", 0, 100000, 4096, {1}},
                    ResumeCase {"SegmentsAroundTheEnd", 3, 30000, 15000, {10000, 15000 - 4096 / 3, 20001}}),
    CaseName());

TEST(SegmentTable, ResumeMovesBackOnlySegmentsThatAdvancedBeyondTheRollback)
{
    SegmentTable table;
    table.layoutSegments(30000, 3);
    table.SegPos[0] = 9001;        // 9000 bytes in
    table.SegPos[1] = 10001 + 100; // 100 bytes in
    table.SegPos[2] = 20001;       // nothing yet
    table.rollBackForResume(4096);
    EXPECT_EQ(table.SegPos[0], 9001 - 4096);
    EXPECT_EQ(table.SegPos[1], 10101);
    EXPECT_EQ(table.SegPos[2], 20001);
    EXPECT_TRUE(table.SegResume[0] && table.SegResume[1] && table.SegResume[2]);
    EXPECT_EQ(table.requestStart(0), 9000 - 4096);
}

TEST(SegmentTable, AFinishedSegmentTakesOverHalfOfTheLargestRest)
{
    SegmentTable table;
    table.layoutSegments(3000000, 3); // 0-999999, 1000000-1999999, 2000000-2999999
    table.SegPos[0] = 100001;         // 100,000 in, 900,000 left
    table.SegPos[1] = 2000001;        // finished
    table.SegPos[2] = 2500001;        // 500,000 left
    const qint64 before = table.TotalReceived();

    EXPECT_EQ(table.takeOverHalf(1, 1000000), std::nullopt) << "no part to take has more than the minimum";
    EXPECT_EQ(table.takeOverHalf(1, 0, [](int, qint64) { return false; }), std::nullopt) << "not worth it";
    const auto from = table.takeOverHalf(1, 400000);
    ASSERT_EQ(from, 0);
    EXPECT_EQ(table.segmentEnd(0), 550000) << "the slow segment now stops half-way through its rest";
    EXPECT_EQ(table.SegStart[1], 550000);
    EXPECT_EQ(table.segmentEnd(1), 1000000);
    EXPECT_EQ(table.requestStart(1), 550000);
    EXPECT_EQ(table.TotalReceived(), before) << "the finished range still counts";

    // The table as resume data: what is missing is exactly the three rests.
    const auto ranges = table.ranges();
    qint64 missing = 0;
    for (const ResumeRecord::Segment& range : ranges)
        missing += range.end - range.next;
    EXPECT_EQ(missing, 450000 + 450000 + 500000);
    EXPECT_EQ(3000000 - missing, table.receivedBytes());

    EXPECT_EQ(table.takeOverHalf(2, 100000), std::nullopt) << "a segment still fetching takes nothing";
}

// What the slow segment's connection has asked for stays with it: a take-over
// takes only the part beyond, and nothing when that part is too small.
struct AskedCase {
    const char* name;
    qint64 asked; // the end of the slow segment's request
    std::optional<qint64> split;
};

class SegmentTakeOver : public testing::TestWithParam<AskedCase> { };

TEST_P(SegmentTakeOver, LeavesWhatTheSlowSegmentHasAskedFor)
{
    SegmentTable table;
    table.layoutSegments(3000000, 3);
    table.SegPos[0] = 100001; // 900,000 left: the middle of the rest is 550,000
    table.SegAsked[0] = GetParam().asked;
    table.SegPos[1] = 2000001; // finished
    table.SegPos[2] = 3000001; // finished
    const auto from = table.takeOverHalf(1, 100000);
    if (!GetParam().split) {
        EXPECT_EQ(from, std::nullopt);
        EXPECT_EQ(table.segmentEnd(0), 1000000);
        return;
    }
    ASSERT_EQ(from, 0);
    EXPECT_EQ(table.segmentEnd(0), *GetParam().split);
    EXPECT_EQ(table.requestStart(1), *GetParam().split);
    EXPECT_EQ(table.segmentEnd(1), 1000000);
    EXPECT_EQ(table.SegAsked[1], *GetParam().split) << "the taken part is not asked for yet";
}

INSTANTIATE_TEST_SUITE_P(Cases, SegmentTakeOver,
                         testing::Values(AskedCase {"AskedLessThanHalf", 300000, 550000},
                                         AskedCase {"AskedPastTheMiddle", 800000, 800000},
                                         AskedCase {"TooLittleLeftUnasked", 950000, std::nullopt},
                                         AskedCase {"AskedTheWholeRange", 1000000, std::nullopt}),
                         CaseName());

TEST(SegmentTable, ResumeDataRoundTripsThroughTheTable)
{
    ResumeRecord record;
    record.size = 3000000;
    record.segments = {{550000, 600000, 1000000}, {0, 300000, 550000}, {2000000, 2500000, 3000000}};
    SegmentTable table;
    table.resumeFrom(record, 4096);
    EXPECT_EQ(table.NumSegments, 3);
    EXPECT_EQ(table.requestStart(0), 600000 - 4096);
    EXPECT_EQ(table.requestStart(1), 300000 - 4096);
    EXPECT_EQ(table.receivedBytes(), record.bytesInPlace() - 3 * 4096);
    EXPECT_EQ(record.lengthNeeded(), 2500000)
        << "the rest of the last range is missing, the bytes before it are in place";
}

} // namespace
