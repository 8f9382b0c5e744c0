#include "settings/SettingsIniFile.h"

#include "settings/PasswordScrambler.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

namespace {

const QList<FileTypeFolder> kTypes = {{QStringLiteral("zip"), QStringLiteral("/data/Zips/")},
                                      {QStringLiteral("*"), QStringLiteral("/data/Other/")}};
const QList<SiteLogin> kLogins = {
    {QStringLiteral("ftp.example.org"), QStringLiteral("alice"), QStringLiteral("abc")},
    {QStringLiteral("secure.example.org"), QStringLiteral("bob"), QStringLiteral("pä ss€")}};

TEST(SettingsIniFile, RoundTripsTypesAndLoginsInOrder)
{
    TestHome home;
    const QString path = home.path(QStringLiteral("Settings.ini"));
    ASSERT_TRUE(SettingsIniFile::write(path, QStringLiteral("/data/last/file.zip"), kTypes, kLogins));

    const QByteArray raw = home.readFile(QStringLiteral("Settings.ini"));
    EXPECT_TRUE(raw.startsWith("/data/last/file.zip\r\nzip\r\n/data/Zips/\r\n*\r\n/data/Other/\r\nLogins:\r\n"
                               "ftp.example.org\r\nalice\r\nklm\r\n"))
        << raw.constData();

    const auto content = SettingsIniFile::read(path);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->lastSavePath, QStringLiteral("/data/last/file.zip"));
    EXPECT_EQ(content->fileTypes, kTypes);
    EXPECT_EQ(content->logins, kLogins);
    EXPECT_FALSE(SettingsIniFile::read(home.path(QStringLiteral("missing.ini"))));
}

struct ParseCase {
    const char* name;
    QByteArray text;
    std::optional<QString> lastSavePath;
    QList<FileTypeFolder> fileTypes;
    QList<SiteLogin> logins;
};

class SettingsIniParsing : public testing::TestWithParam<ParseCase> { };

TEST_P(SettingsIniParsing, ReadsWhatTheFileHolds)
{
    const ParseCase& c = GetParam();
    const SettingsIniFile::Content content = SettingsIniFile::parse(c.text);
    EXPECT_EQ(content.lastSavePath, c.lastSavePath);
    EXPECT_EQ(content.fileTypes, c.fileTypes);
    EXPECT_EQ(content.logins, c.logins);
}

const QString kLast = QStringLiteral("/d/f");

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsIniParsing,
    testing::Values(
        ParseCase {"EmptyFirstLine", "\r\nzip\r\n/z/\r\n", std::nullopt, {}, {}},
        ParseCase {"EmptyFile", "", std::nullopt, {}, {}},
        ParseCase {
            "NoLoginsLine", "/d/f\r\nzip\r\n/z/\r\n", kLast, {{QStringLiteral("zip"), QStringLiteral("/z/")}}, {}},
        ParseCase {"EmptyPassword",
                   "/d/f\r\nLogins:\r\nh\r\nu\r\n\r\n",
                   kLast,
                   {},
                   {{QStringLiteral("h"), QStringLiteral("u"), QString()}}},
        ParseCase {"EmptyUserName",
                   "/d/f\r\nLogins:\r\nh\r\n\r\nklm\r\n",
                   kLast,
                   {},
                   {{QStringLiteral("h"), QString(), QStringLiteral("abc")}}},
        ParseCase {"RecordCutShort",
                   "/d/f\r\nLogins:\r\nh\r\nu",
                   kLast,
                   {},
                   {{QStringLiteral("h"), QStringLiteral("u"), QString()}}},
        ParseCase {"TypeWithoutFolder", "/d/f\r\nzip", kLast, {{QStringLiteral("zip"), QString()}}, {}},
        ParseCase {"StopsAtAnEmptyLineBetweenRecords",
                   "/d/f\r\nzip\r\n/z/\r\n\r\nrar\r\n/r/\r\n",
                   kLast,
                   {{QStringLiteral("zip"), QStringLiteral("/z/")}},
                   {}},
        ParseCase {"UnixLineEnds",
                   "/d/f\nzip\n/z/\nLogins:\nh\nu\nklm\n",
                   kLast,
                   {{QStringLiteral("zip"), QStringLiteral("/z/")}},
                   {{QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("abc")}}}),
    CaseName());

TEST(PasswordScrambler, RaisesEveryByteByTen)
{
    EXPECT_EQ(PasswordScrambler::scramble(QStringLiteral("abc")), QByteArray("klm"));
    EXPECT_EQ(PasswordScrambler::unscramble("klm"), QStringLiteral("abc"));
    EXPECT_EQ(PasswordScrambler::scramble(QString()), QByteArray());
}

// UTF-8 never uses bytes above 244, so no password overflows a byte.
TEST(PasswordScrambler, LosesNothingOfAnyText)
{
    const QStringList passwords = {QStringLiteral("ÿþ€"), QStringLiteral("日本語"), QStringLiteral("😀 emoji"),
                                   QStringLiteral("~ tilde and DEL-free ascii !\"#$%&'()")};
    for (const QString& password : passwords) {
        const QByteArray scrambled = PasswordScrambler::scramble(password);
        EXPECT_FALSE(scrambled.contains('\n') || scrambled.contains('\r')) << password.toStdString();
        for (const char c : scrambled)
            EXPECT_LE(static_cast<unsigned char>(c), 0xFE);
        EXPECT_EQ(PasswordScrambler::unscramble(scrambled), password);
    }
    EXPECT_EQ(PasswordScrambler::unscramble(QByteArray("\x0A\x0B", 2)), QString::fromLatin1("\x00\x01", 2));

    EXPECT_TRUE(PasswordScrambler::canStore(QStringLiteral("ordinary ÿ")));
    EXPECT_FALSE(PasswordScrambler::canStore(QStringLiteral("line\nbreak")));
    EXPECT_FALSE(PasswordScrambler::canStore(QString::fromLatin1("\x03", 1)));
}

} // namespace
