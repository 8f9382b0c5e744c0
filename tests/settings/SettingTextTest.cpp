#include "settings/SettingText.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct TruthCase {
    const char* name;
    const char* text;
    std::optional<bool> truth;
    bool numberOne;
};

class SettingTruthCases : public testing::TestWithParam<TruthCase> { };

TEST_P(SettingTruthCases, ReadsSwitches)
{
    const TruthCase& c = GetParam();
    EXPECT_EQ(SettingText::truth(QString::fromLatin1(c.text)), c.truth);
    EXPECT_EQ(SettingText::isNumberOne(QString::fromLatin1(c.text)), c.numberOne);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingTruthCases,
    testing::Values(TruthCase {"One", "1", true, true}, TruthCase {"MinusOne", "-1", true, false},
                    TruthCase {"OtherNumber", "7", true, false}, TruthCase {"OnePointZero", "1.0", true, true},
                    TruthCase {"TrueCapitalised", "True", true, false}, TruthCase {"TrueLower", "true", true, false},
                    TruthCase {"TrueUpper", "TRUE", true, false}, TruthCase {"Zero", "0", false, false},
                    TruthCase {"False", "False", false, false}, TruthCase {"FalseLower", "false", false, false},
                    TruthCase {"Empty", "", false, false}, TruthCase {"Blanks", "  1 ", true, true},
                    TruthCase {"Word", "yes", std::nullopt, false}),
    CaseName());

struct NumberCase {
    const char* name;
    const char* text;
    std::optional<std::int16_t> value;
};

class SettingNumberCases : public testing::TestWithParam<NumberCase> { };

TEST_P(SettingNumberCases, ReadsSixteenBitNumbers)
{
    EXPECT_EQ(SettingText::integer<std::int16_t>(QString::fromLatin1(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingNumberCases,
                         testing::Values(NumberCase {"Plain", "60", 60}, NumberCase {"Negative", "-3", -3},
                                         NumberCase {"Largest", "32767", 32767},
                                         NumberCase {"TooLarge", "70000", std::nullopt},
                                         NumberCase {"RoundsHalfToEven", "2.5", 2}, NumberCase {"RoundsUp", "3.6", 4},
                                         NumberCase {"NotANumber", "abc", std::nullopt},
                                         NumberCase {"Empty", "", std::nullopt}),
                         CaseName());

TEST(SettingText, AFailedConversionLeavesTheFieldAsItWas)
{
    std::int16_t timeout = 45;
    SettingText::assignInteger(timeout, QStringLiteral("soon"));
    EXPECT_EQ(timeout, 45);
    bool on = true;
    SettingText::assignTruth(on, QStringLiteral("maybe"));
    EXPECT_TRUE(on);
    double bytes = 3;
    SettingText::assignNumber(bytes, QStringLiteral("lots"));
    EXPECT_EQ(bytes, 3);
    EXPECT_EQ(SettingText::fromNumber(3145728), QStringLiteral("3145728"));
    EXPECT_EQ(SettingText::fromNumber(1.5), QStringLiteral("1.5"));
}

} // namespace
