#include "core/Checksum.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

const QString kSha256 = QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
const QString kMd5 = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");
const QString kSha1 = QStringLiteral("da39a3ee5e6b4b0d3255bfef95601890afd80709");
const QString kSha512 = QString(128, QLatin1Char('a'));

struct ParseCase {
    const char* name;
    QString text;
    QString expected; // as toString() writes it; empty: refused
    const char* display = "";
};

class ChecksumParse : public testing::TestWithParam<ParseCase> { };

TEST_P(ChecksumParse, ReadsAlgorithmAndDigits)
{
    const ParseCase& c = GetParam();
    QString problem;
    const auto checksum = Checksum::parse(c.text, problem);
    ASSERT_EQ(checksum.has_value(), !c.expected.isEmpty()) << problem.toStdString();
    if (checksum) {
        EXPECT_EQ(checksum->toString(), c.expected);
        EXPECT_EQ(checksum->displayName(), QString::fromLatin1(c.display));
    } else {
        EXPECT_FALSE(problem.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChecksumParse,
    testing::Values(
        ParseCase {"Sha256", QStringLiteral("sha256=") + kSha256, QStringLiteral("sha256=") + kSha256, "SHA-256"},
        ParseCase {"UpperCase", QStringLiteral("SHA256=") + kSha256.toUpper(), QStringLiteral("sha256=") + kSha256,
                   "SHA-256"},
        ParseCase {"Sha512", QStringLiteral("Sha512=") + kSha512, QStringLiteral("sha512=") + kSha512, "SHA-512"},
        ParseCase {"Sha1", QStringLiteral("sha1=") + kSha1, QStringLiteral("sha1=") + kSha1, "SHA-1"},
        ParseCase {"Md5", QStringLiteral(" md5=") + kMd5 + QStringLiteral(" "), QStringLiteral("md5=") + kMd5, "MD5"},
        ParseCase {"UnknownAlgorithm", QStringLiteral("crc32=1234abcd"), QString()},
        ParseCase {"NoAlgorithm", kSha256, QString()},
        ParseCase {"ShortDigits", QStringLiteral("sha256=") + kMd5, QString()},
        ParseCase {"NotHex", QStringLiteral("md5=") + QString(32, QLatin1Char('g')), QString()},
        ParseCase {"NoDigits", QStringLiteral("sha1="), QString()}),
    CaseName());

struct SumsCase {
    const char* name;
    QByteArray text;
    const char* fileName;
    QString expected; // empty: no line for the file
};

class ChecksumSums : public testing::TestWithParam<SumsCase> { };

TEST_P(ChecksumSums, FindsTheLineOfTheFile)
{
    const SumsCase& c = GetParam();
    const auto checksum = Checksum::inSumsFile(c.text, QString::fromUtf8(c.fileName));
    EXPECT_EQ(checksum ? checksum->toString() : QString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChecksumSums,
    testing::Values(
        SumsCase {"TextMode", kMd5.toLatin1() + "  other.iso\n" + kSha256.toLatin1() + "  disk.iso\n", "disk.iso",
                  QStringLiteral("sha256=") + kSha256},
        SumsCase {"BinaryMode", kSha1.toLatin1() + " *disk.iso\r\n", "disk.iso", QStringLiteral("sha1=") + kSha1},
        SumsCase {"InAFolder", kSha512.toLatin1() + "  ./images/disk.iso\n", "disk.iso",
                  QStringLiteral("sha512=") + kSha512},
        SumsCase {"Bsd", "MD5 (disk.iso) = " + kMd5.toLatin1() + "\n", "disk.iso", QStringLiteral("md5=") + kMd5},
        SumsCase {"BsdSha256", "SHA256 (a b.iso) = " + kSha256.toUpper().toLatin1(), "a b.iso",
                  QStringLiteral("sha256=") + kSha256},
        SumsCase {"NoLineForTheFile", kSha256.toLatin1() + "  other.iso\n", "disk.iso", QString()},
        SumsCase {"ANameThatOnlyEndsTheSame", kSha256.toLatin1() + "  mydisk.iso\n", "disk.iso", QString()},
        SumsCase {"DigitsOfNoAlgorithm", "abc123  disk.iso\n", "disk.iso", QString()}),
    CaseName());

} // namespace
