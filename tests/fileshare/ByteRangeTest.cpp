#include "fileshare/http/ByteRange.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct RangeCase {
    const char* name;
    const char* header;
    std::uint64_t size;
    // -1: the header is ignored; -2: unsatisfiable.
    std::int64_t first;
    std::int64_t last;
};

class RangeCases : public testing::TestWithParam<RangeCase> { };

TEST_P(RangeCases, SelectsTheBytes)
{
    const RangeCase& c = GetParam();
    const auto range = ByteRange::parse(c.header);
    if (c.first == -1) {
        EXPECT_FALSE(range.has_value());
        return;
    }
    ASSERT_TRUE(range.has_value());
    const auto span = range->resolve(c.size);
    if (c.first == -2) {
        EXPECT_FALSE(span.has_value());
        return;
    }
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(span->first, static_cast<std::uint64_t>(c.first));
    EXPECT_EQ(span->last, static_cast<std::uint64_t>(c.last));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RangeCases,
    testing::Values(RangeCase {"Closed", "bytes=0-99", 1000, 0, 99}, RangeCase {"Open", "bytes=900-", 1000, 900, 999},
                    RangeCase {"EndBeyondSize", "bytes=900-5000", 1000, 900, 999},
                    RangeCase {"Suffix", "bytes=-100", 1000, 900, 999},
                    RangeCase {"SuffixLargerThanFile", "bytes=-5000", 1000, 0, 999},
                    RangeCase {"Blanks", " bytes=5-9 ", 1000, 5, 9}, RangeCase {"UpperCaseUnit", "BYTES=1-1", 10, 1, 1},
                    RangeCase {"StartAtSize", "bytes=1000-", 1000, -2, 0},
                    RangeCase {"EmptyFile", "bytes=0-", 0, -2, 0}, RangeCase {"ZeroSuffix", "bytes=-0", 1000, -2, 0},
                    RangeCase {"Reversed", "bytes=9-5", 1000, -1, 0},
                    RangeCase {"Several", "bytes=0-1,5-6", 1000, -1, 0}, RangeCase {"BareDash", "bytes=-", 1000, -1, 0},
                    RangeCase {"OtherUnit", "items=0-1", 1000, -1, 0},
                    RangeCase {"Overflow", "bytes=99999999999999999999-", 1000, -1, 0},
                    RangeCase {"Negative", "bytes=-5-9", 1000, -1, 0}),
    CaseName());

} // namespace
