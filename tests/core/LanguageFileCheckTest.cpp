#include "core/LanguageFileCheck.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kEnglish = "; English\n[KEVA]\n01010=&File\n01011=&Add URL\n";

struct CheckCase {
    const char* name;
    QByteArray english;
    const char* translatedName; // a file beside English.ini and English.bmp
    QByteArray translated;
    bool picture; // whether the translated file has its picture
    QStringList codeKeys;
    QStringList problems;
};

class LanguageFileCheckCases : public testing::TestWithParam<CheckCase> { };

TEST_P(LanguageFileCheckCases, FindsTheProblems)
{
    const CheckCase& c = GetParam();
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), c.english);
    home.writeFile(QStringLiteral("home/Lang/English.bmp"), "BM");
    const QString name = QString::fromLatin1(c.translatedName);
    home.writeFile(QStringLiteral("home/Lang/") + name, c.translated);
    if (c.picture)
        home.writeFile(QStringLiteral("home/Lang/") + name.left(name.size() - 4) + QStringLiteral(".bmp"), "BM");
    EXPECT_EQ(LanguageFileCheck::check(home.programFolder() + QStringLiteral("/Lang"), c.codeKeys), c.problems);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageFileCheckCases,
    testing::Values(
        CheckCase {"Clean",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01011=URL &hinzufügen\n\n; Menü\n01010=&Datei\n",
                   true,
                   {QStringLiteral("01010")},
                   {}},
        CheckCase {"ExtensionInCapitals", kEnglish, "German.INI", "[keva]\n01010=&Datei\n01011=URL\n", true, {}, {}},
        CheckCase {"MissingKey",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:0: lacks key 01011 of English.ini")}},
        CheckCase {"KeyTwice",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n01011=URL\n01010=D&atei\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:4: key 01010 again (first on line 2): only the first is read")}},
        CheckCase {"LineThatDoesNotParse",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010 &Datei\n01011=URL\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:2: does not parse: a line is key=text, [KEVA], a ; comment or blank"),
                    QStringLiteral("German.ini:0: lacks key 01010 of English.ini")}},
        CheckCase {"NotUtf8",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n01011=URL hinzuf\xfcgen\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:3: is not UTF-8 text"),
                    QStringLiteral("German.ini:0: lacks key 01011 of English.ini")}},
        CheckCase {"KeyBeforeTheSection",
                   kEnglish,
                   "German.ini",
                   "01010=&Datei\n[KEVA]\n01010=&Datei\n01011=URL\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:1: is outside the [KEVA] section")}},
        CheckCase {"KeysOfASecondSectionAreNeverRead",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n[Extra]\n01011=URL\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:3: section [Extra]: only the first section, [KEVA], is read"),
                    QStringLiteral("German.ini:4: is outside the [KEVA] section"),
                    QStringLiteral("German.ini:0: lacks key 01011 of English.ini")}},
        CheckCase {"KeyThatIsNoDigitKey",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n01011=URL\nO1012=Ende\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:4: key \"O1012\" is not a digit key")}},
        CheckCase {"KeyEnglishLacks",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n01011=URL\n01012=Ende\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:4: key 01012 is not in English.ini")}},
        CheckCase {"EmptyAndOverlongTexts",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=\n01011=" + QByteArray(500, 'x') + "\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:2: key 01010 has no text"),
                    QStringLiteral("German.ini:3: key 01011: the text has 500 characters; only 499 are shown")}},
        CheckCase {"NoPicture",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n01011=URL\n",
                   false,
                   {},
                   {QStringLiteral("German.ini:0: has no picture German.bmp")}},
        CheckCase {"NoSection",
                   kEnglish,
                   "German.ini",
                   "; nothing yet\n",
                   true,
                   {},
                   {QStringLiteral("German.ini:0: has no [KEVA] section"),
                    QStringLiteral("German.ini:0: lacks key 01010 of English.ini"),
                    QStringLiteral("German.ini:0: lacks key 01011 of English.ini")}},
        CheckCase {"EnglishLacksAKeyOfTheCode",
                   kEnglish,
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n01011=URL\n",
                   true,
                   {QStringLiteral("01010"), QStringLiteral("13021")},
                   {QStringLiteral("English.ini:0: lacks key 13021, which the code asks for")}},
        CheckCase {"EnglishWithAKeyTwice",
                   kEnglish + "01010=File\n",
                   "German.ini",
                   "[KEVA]\n01010=&Datei\n01011=URL\n",
                   true,
                   {},
                   {QStringLiteral("English.ini:5: key 01010 again (first on line 3): only the first is read")}}),
    CaseName());

TEST(LanguageFileCheck, WithoutEnglishThereIsNothingToCheckAgainst)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/German.ini"), "[KEVA]\n01010=&Datei\n");
    const QStringList problems = LanguageFileCheck::check(home.programFolder() + QStringLiteral("/Lang"), {});
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].endsWith(QStringLiteral("there is no English.ini to check against")));
}

// Keys are the digit literals of the language's groups; other numbers are not.
TEST(LanguageFileCheck, FindsTheKeysTheSourcesAskFor)
{
    TestHome home;
    home.writeFile(QStringLiteral("src/a/Window.cpp"),
                   "constexpr CaptionKey kCaptions[] = {{\"file_mnu\", \"01010\", "
                   "\"&File\"}};\n"
                   "text.GetText(QStringLiteral(\"11041\"), u\"Invalid URL\");\n"
                   "QStringLiteral(\"2097152\"); \"000000\"; \"07001\";\n");
    home.writeFile(QStringLiteral("src/b/Dialog.h"),
                   "make(\"cmdBrowse\", \"Browse\", \"0904222\"); \"12345678\"; "
                   "\"01010\"; \"1300\";\n");
    home.writeFile(QStringLiteral("src/b/notes.txt"), "\"13000\"\n");
    EXPECT_EQ(LanguageFileCheck::keysInSources(home.path(QStringLiteral("src"))),
              (QStringList {QStringLiteral("01010"), QStringLiteral("0904222"), QStringLiteral("11041")}));
}

// A text the user sees is caught when it has no key, and only then.
struct KeylessCase {
    const char* name;
    const char* path; // below the source folder
    QByteArray source;
    QStringList problems;
};

class KeylessTextCases : public testing::TestWithParam<KeylessCase> { };

TEST_P(KeylessTextCases, AreFound)
{
    const KeylessCase& c = GetParam();
    TestHome home;
    home.writeFile(QStringLiteral("src/") + QString::fromLatin1(c.path), c.source);
    EXPECT_EQ(LanguageFileCheck::keylessTexts(home.path(QStringLiteral("src"))), c.problems);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeylessTextCases,
    testing::Values(
        KeylessCase {"MessageWithoutKey",
                     "intake/Add.cpp",
                     "void f()\n{\n    prompter.tell(QStringLiteral(\"Type a name.\"), kTitle, Icon::None);\n}\n",
                     {QStringLiteral("intake/Add.cpp:3: text shown without a language key: \"Type a name.\"")}},
        KeylessCase {"StatusFilledInAndJoined",
                     "engine/Job.cpp",
                     "setStatus(QStringLiteral(\"Could not write \"\n                         \"%1: %2\")\n"
                     "              .arg(path, ok ? QString() : QStringLiteral(\"a write failed\")), true);\n",
                     {QStringLiteral("engine/Job.cpp:1: text shown without a language key: \"Could not write %1: %2\""),
                      QStringLiteral("engine/Job.cpp:3: text shown without a language key: \"a write failed\"")}},
        KeylessCase {
            "MenuEntryAndToolTip",
            "mainwin/ui/Menu.cpp",
            "menu->addAction(u\"&Close\");\nicon->setToolTip(QString::fromLatin1(\"Quillspan downloads\"));\n",
            {QStringLiteral("mainwin/ui/Menu.cpp:1: text shown without a language key: \"&Close\""),
             QStringLiteral("mainwin/ui/Menu.cpp:2: text shown without a language key: \"Quillspan downloads\"")}},
        KeylessCase {"FallbacksOfKeys",
                     "site/Crawl.cpp",
                     "setStatus(text.GetText(QStringLiteral(\"11063\"), QStringLiteral(\"Getting rest...\")));\n"
                     "label->setText(caption(\"08000\", \"Server Interaction Info\"));\n"
                     "return tell(\"11016\", QStringLiteral(\"A password can not hold control characters.\"));\n",
                     {}},
        KeylessCase {"NoWordsOrNoShowingCall",
                     "settings/Page.cpp",
                     "box->setText(QStringLiteral(\"%1 %\").arg(n));\ntray.setToolTip(QStringLiteral(\"KEVA 3.0\"));\n"
                     "label->setText(state.caption(QStringLiteral(\"Label1\")));\n"
                     "const QString kTitle = QStringLiteral(\"Quillspan is running\");\n",
                     {}},
        KeylessCase {"CommentsAndQuotedParentheses",
                     "schedule/Plan.cpp",
                     "// tell(QStringLiteral(\"Old message\"));\n/* fail(\"gone\") */\n"
                     "tell(text(\"13022\", QStringLiteral(\"Incorrect (time) \\\"!!\\\"...\")), QLatin1Char(')'));\n",
                     {}},
        KeylessCase {"OtherProgramsHaveNoLanguageFiles",
                     "fileshare/ui/Vantrel.cpp",
                     "prompter.tell(QStringLiteral(\"The server could not start.\"));\n",
                     {}}),
    CaseName());

} // namespace
