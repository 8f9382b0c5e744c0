#include "core/Formatting.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct SizeCase {
    const char* name;
    double bytes;
    const char* english;
    const char* german;
};

class FormatSizeCases : public testing::TestWithParam<SizeCase> { };

TEST_P(FormatSizeCases, UsesTheLocaleSeparators)
{
    const SizeCase& c = GetParam();
    EXPECT_EQ(FormatSize(c.bytes, QLocale(QLocale::English, QLocale::UnitedStates)), QString::fromUtf8(c.english));
    EXPECT_EQ(FormatSize(c.bytes, QLocale(QLocale::German, QLocale::Germany)), QString::fromUtf8(c.german));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatSizeCases,
    testing::Values(SizeCase {"Zero", 0, "0 Bytes", "0 Bytes"}, SizeCase {"Bytes", 512, "512 Bytes", "512 Bytes"},
                    SizeCase {"JustBelowKilobyte", 1023, "1023 Bytes", "1023 Bytes"},
                    SizeCase {"Kilobyte", 1024, "1.00 KB", "1,00 KB"},
                    SizeCase {"KilobyteAndHalf", 1536, "1.50 KB", "1,50 KB"},
                    SizeCase {"ExactlyOneMegabyteStaysInKilobytes", 1048576, "1024.00 KB", "1024,00 KB"},
                    SizeCase {"OneByteMoreIsMegabytes", 1048577, "1.00 MB", "1,00 MB"},
                    SizeCase {"GroupedMegabytes", 5000000000.0, "4,768.37 MB", "4.768,37 MB"},
                    SizeCase {"BeyondFourGigabytes", 1099511627776.0, "1,048,576.00 MB", "1.048.576,00 MB"}),
    CaseName());

TEST(FormatSize, FollowsTheDefaultLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(FormatSize(1536), QStringLiteral("1,50 KB"));
    QLocale::setDefault(saved);
}

struct DurationCase {
    const char* name;
    double seconds;
    const char* expected;
};

class FormatDurationCases : public testing::TestWithParam<DurationCase> { };

TEST_P(FormatDurationCases, WritesHoursMinutesSeconds)
{
    EXPECT_EQ(FormatDuration(GetParam().seconds), QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatDurationCases,
    testing::Values(DurationCase {"Seconds", 7, "00:00:07"}, DurationCase {"FractionFloored", 59.9, "00:00:59"},
                    DurationCase {"OneMinute", 60, "00:01:00"}, DurationCase {"MinuteAndSecond", 61, "00:01:01"},
                    DurationCase {"Hour", 3725, "01:02:05"}, DurationCase {"Mixed", 3903, "01:05:03"},
                    DurationCase {"Negative", -5, "00:00:00"}, DurationCase {"DayAndMore", 90061, "25:01:01"},
                    DurationCase {"ManyHours", 360000, "100:00:00"},
                    DurationCase {"NotANumber", std::numeric_limits<double>::quiet_NaN(), "00:00:00"},
                    DurationCase {"Infinite", std::numeric_limits<double>::infinity(), "00:00:00"}),
    CaseName());

} // namespace
