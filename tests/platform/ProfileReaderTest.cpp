#include "platform/ProfileReader.h"

#include "support/TestHome.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct ProfileCase {
    const char* name;
    const char* section;
    const char* key;
    const char* fallback;
    int bufferSize;
    const char* expected;
};

const QByteArray kFile = "\xEF\xBB\xBF; a comment line\r\n"
                         "[Other]\r\n"
                         "key=other section\r\n"
                         "[KEVA]\r\n"
                         "  Padded   =   spaced value   \r\n"
                         "quoted=\"  kept inside  \"\r\n"
                         "single='x'\r\n"
                         "half=\"open\r\n"
                         "empty=\r\n"
                         "dup=first\r\n"
                         "DUP=second\r\n"
                         ";hidden=comment\r\n"
                         "no equals sign here\r\n"
                         "equals=a=b\r\n"
                         "unicode=Größe 日本\r\n";

class ProfileReaderCases : public testing::TestWithParam<ProfileCase> { };

TEST_P(ProfileReaderCases, FollowsTheProfileContract)
{
    TestHome home;
    home.writeFile(QStringLiteral("test.ini"), kFile);
    const ProfileCase& c = GetParam();
    EXPECT_EQ(ProfileReader().getString(home.path(QStringLiteral("test.ini")), QString::fromUtf8(c.section),
                                        QString::fromUtf8(c.key), QString::fromUtf8(c.fallback), c.bufferSize),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileReaderCases,
    testing::Values(ProfileCase {"TrimmedAndCaseInsensitive", "keva", "PADDED", "", 500, "spaced value"},
                    ProfileCase {"OtherSection", "OTHER", "key", "", 500, "other section"},
                    ProfileCase {"QuotesRemoved", "KEVA", "quoted", "", 500, "  kept inside  "},
                    ProfileCase {"SingleQuotesRemoved", "KEVA", "single", "", 500, "x"},
                    ProfileCase {"UnmatchedQuoteKept", "KEVA", "half", "", 500, "\"open"},
                    ProfileCase {"EmptyValueIsNoFallback", "KEVA", "empty", "fallback", 500, ""},
                    ProfileCase {"FirstMatchWins", "KEVA", "dup", "", 500, "first"},
                    ProfileCase {"CommentIsNoEntry", "KEVA", ";hidden", "fb", 500, "fb"},
                    ProfileCase {"OnlyFirstEqualsSplits", "KEVA", "equals", "", 500, "a=b"},
                    ProfileCase {"Utf8", "KEVA", "unicode", "", 500, "Größe 日本"},
                    ProfileCase {"MissingKey", "KEVA", "nothing", "Invalid URL", 500, "Invalid URL"},
                    ProfileCase {"MissingSection", "Nowhere", "key", "fb", 500, "fb"},
                    ProfileCase {"FallbackLosesTrailingBlanks", "KEVA", "nothing", " lead and trail  ", 500,
                                 " lead and trail"},
                    ProfileCase {"CutToBuffer", "KEVA", "Padded", "", 7, "spaced"},
                    ProfileCase {"FallbackCutToBuffer", "KEVA", "nothing", "fallback", 4, "fal"}),
    CaseName());

TEST(ProfileReader, MissingFileGivesTheFallback)
{
    EXPECT_EQ(ProfileReader().getString(QStringLiteral("/nonexistent/x.ini"), QStringLiteral("KEVA"),
                                        QStringLiteral("1"), QStringLiteral("fb"), 500),
              QStringLiteral("fb"));
}

TEST(ProfileReader, NeverSplitsASurrogatePair)
{
    TestHome home;
    home.writeFile(QStringLiteral("t.ini"), "[S]\nk=ab\xF0\x9F\x98\x80\n");
    EXPECT_EQ(ProfileReader().getString(home.path(QStringLiteral("t.ini")), QStringLiteral("S"), QStringLiteral("k"),
                                        QString(), 4),
              QStringLiteral("ab"));
}

} // namespace
