#include "core/TextLookup.h"
#include "core/TextReadSession.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct LookupCase {
    const char* name;
    const char* key;
    const char* fallback;
    QString expected;
};

const QByteArray kEnglishIni = "[KEVA]\n"
                               "11048=Connected\n"
                               "11045= can not log in.\n"
                               "01008=Total Transfer Rate: \n"
                               "01010=\n"
                               "01011=   \n"
                               "padded=\"   both sides   \"\n"
                               "long="
    + QByteArray(600, 'x')
    + "\n"
      "longpadded=\""
    + QByteArray(498, 'y')
    + "   z\"\n"
      "[Other]\n"
      "11041=wrong section\n";

class TextLookupCases : public testing::TestWithParam<LookupCase> { };

TEST_P(TextLookupCases, ReadsTheLanguageFile)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), kEnglishIni);
    const TextLookup text(home.programFolder() + QStringLiteral("/Lang"));
    const LookupCase& c = GetParam();
    EXPECT_EQ(text.GetText(QString::fromLatin1(c.key), QString::fromLatin1(c.fallback)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLookupCases,
    testing::Values(
        LookupCase {"Present", "11048", "", QStringLiteral("Connected")},
        LookupCase {"LeadingSpacesDropped", "11045", "", QStringLiteral("can not log in.")},
        LookupCase {"TrailingSpacesDropped", "01008", "", QStringLiteral("Total Transfer Rate:")},
        LookupCase {"QuotedTrailingSpacesKept", "padded", "", QStringLiteral("both sides   ")},
        LookupCase {"MissingKeyGivesFallback", "11041", "Invalid URL", QStringLiteral("Invalid URL")},
        LookupCase {"MissingKeyWithoutFallback", "11041", "", QString()},
        LookupCase {"EmptyTextGivesFallback", "01010", "&File", QStringLiteral("&File")},
        LookupCase {"BlankTextGivesFallback", "01011", "&Add URL", QStringLiteral("&Add URL")},
        LookupCase {"FallbackTrimmed", "nokey", "  Enter Numeric Value  ", QStringLiteral("Enter Numeric Value")},
        LookupCase {"CutTo499", "long", "", QString(499, QLatin1Char('x'))},
        LookupCase {"CutBeforeTrimming", "longpadded", "", QString(498, QLatin1Char('y')) + QLatin1Char(' ')}),
    CaseName());

// The language file is parsed once for many look-ups, and again when it has
// changed in any way a reader can see, or another language is chosen.
struct ReparseCase {
    const char* name;
    std::function<void(TestHome&, TextLookup&)> between;
    QString expected; // the text of 11048 afterwards
    int parses;
};

class LanguageFileReads : public testing::TestWithParam<ReparseCase> { };

TEST_P(LanguageFileReads, ParseOnlyAChangedFile)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), kEnglishIni);
    home.writeFile(QStringLiteral("home/Lang/German.ini"), "[KEVA]\n11048=Verbunden\n");
    TextLookup text(home.programFolder() + QStringLiteral("/Lang"));
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(text.GetText(QStringLiteral("11048")), QStringLiteral("Connected"));
    const ReparseCase& c = GetParam();
    c.between(home, text);
    EXPECT_EQ(text.GetText(QStringLiteral("11048")), c.expected);
    EXPECT_EQ(text.parseCount(), c.parses);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageFileReads,
    testing::Values(ReparseCase {"Unchanged", [](TestHome&, TextLookup&) {}, QStringLiteral("Connected"), 1},
                    ReparseCase {"EditedInPlace",
                                 [](TestHome& home, TextLookup&) {
                                     home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n11048=Online\n");
                                 },
                                 QStringLiteral("Online"), 2},
                    ReparseCase {"ReplacedWithSameSizeAndTime",
                                 [](TestHome& home, TextLookup&) {
                                     home.replaceFile(QStringLiteral("home/Lang/English.ini"),
                                                      QByteArray(kEnglishIni).replace("=Connected", "=Connexion"));
                                 },
                                 QStringLiteral("Connexion"), 2},
                    ReparseCase {"EditedDuringASession",
                                 [](TestHome& home, TextLookup& text) {
                                     const TextReadSession session(text);
                                     EXPECT_EQ(text.GetText(QStringLiteral("11048")), QStringLiteral("Connected"));
                                     home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n11048=Online\n");
                                     EXPECT_EQ(text.GetText(QStringLiteral("11048")), QStringLiteral("Connected"))
                                         << "one look at the file for the session";
                                 },
                                 QStringLiteral("Online"), 2},
                    ReparseCase {
                        "OtherLanguage",
                        [](TestHome&, TextLookup& text) { text.setLanguageFile(QStringLiteral("German.ini")); },
                        QStringLiteral("Verbunden"), 2}),
    CaseName());

TEST(TextLookup, MissingLanguageFileGivesEveryFallback)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), kEnglishIni);
    TextLookup text(home.programFolder() + QStringLiteral("/Lang"));
    text.setLanguageFile(QStringLiteral("Klingon.ini"));
    EXPECT_EQ(text.GetText(QStringLiteral("11048"), QStringLiteral("Connected!")), QStringLiteral("Connected!"));
    EXPECT_EQ(text.GetText(QStringLiteral("11048")), QString());
    EXPECT_EQ(text.languageFile(), QStringLiteral("Klingon.ini"));
}

TEST(TextLookup, ShippedEnglishFileHoldsTheMessageTexts)
{
    const TextLookup text(TestHome::binFolder() + QStringLiteral("/Lang"));
    EXPECT_EQ(text.GetText(QStringLiteral("11041"), QStringLiteral("fallback")), QStringLiteral("Invalid URL"));
    EXPECT_EQ(text.GetText(QStringLiteral("13021")),
              QStringLiteral("you will not be able to resume this file later(Segmented mode only), Stop?"));
    for (const char* key : {"11017", "11018", "11019", "090000", "091010", "0904222", "09110"})
        EXPECT_FALSE(text.GetText(QString::fromLatin1(key)).isEmpty()) << key;
}

TEST(TextLookup, EmptyLanguageFileGivesEveryFallback)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), QByteArray());
    const TextLookup text(home.programFolder() + QStringLiteral("/Lang"));
    EXPECT_EQ(text.GetText(QStringLiteral("01010"), QStringLiteral("&File")), QStringLiteral("&File"));
}

// The picker names a language by its file name without the extension, so a
// file written "German.INI" is chosen as "German.ini".
TEST(TextLookup, FindsTheLanguageFileWhateverTheLetterCaseOfItsName)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/German.INI"), "[KEVA]\n01010=&Datei\n");
    TextLookup text(home.programFolder() + QStringLiteral("/Lang"), QStringLiteral("German.ini"));
    EXPECT_EQ(text.GetText(QStringLiteral("01010"), QStringLiteral("&File")), QStringLiteral("&Datei"));
    text.setLanguageFile(QStringLiteral("german.ini"));
    EXPECT_EQ(text.GetText(QStringLiteral("01010"), QStringLiteral("&File")), QStringLiteral("&Datei"));
}

// Once the language files are off, captions are the built-in ones, while
// messages still come from the file.
TEST(TextLookup, CaptionsAreBuiltInOnceTheLanguagePackIsUnavailable)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), kEnglishIni);
    TextLookup text(home.programFolder() + QStringLiteral("/Lang"));
    EXPECT_EQ(text.caption(QStringLiteral("11048"), QStringLiteral("built in")), QStringLiteral("Connected"));
    text.setLanguagePackUnavailable();
    EXPECT_TRUE(text.LanguagePackUnavailable());
    EXPECT_EQ(text.caption(QStringLiteral("11048"), QStringLiteral("built in")), QStringLiteral("built in"));
    EXPECT_EQ(text.GetText(QStringLiteral("11048")), QStringLiteral("Connected"));
}

} // namespace
