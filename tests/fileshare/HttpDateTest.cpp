#include "fileshare/http/HttpDate.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
    const char* name;
    const char* text;
    std::optional<std::time_t> time;
};

class DateCases : public testing::TestWithParam<DateCase> { };

TEST_P(DateCases, ReadsTheThreeForms)
{
    EXPECT_EQ(HttpDate::parse(GetParam().text), GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(Cases, DateCases,
                         testing::Values(DateCase {"Preferred", "Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
                                         DateCase {"Rfc850", "Sunday, 06-Nov-94 08:49:37 GMT", 784111777},
                                         DateCase {"Asctime", "Sun Nov  6 08:49:37 1994", 784111777},
                                         DateCase {"TrailingGarbage", "Sun, 06 Nov 1994 08:49:37 GMTX", std::nullopt},
                                         DateCase {"BadMonth", "Sun, 06 Foo 1994 08:49:37 GMT", std::nullopt},
                                         DateCase {"BadHour", "Sun, 06 Nov 1994 28:49:37 GMT", std::nullopt},
                                         DateCase {"Empty", "", std::nullopt},
                                         DateCase {"Word", "yesterday", std::nullopt}),
                         CaseName());

TEST(HttpDate, WritesUtcWithEnglishNames)
{
    EXPECT_EQ(HttpDate::format(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(HttpDate::format(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(HttpDate::parse(HttpDate::format(1700000000)), 1700000000);
}

} // namespace
