#include "core/NetworkName.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* name;
    QString url;
    QString expected;
};

class NetworkNameOf : public testing::TestWithParam<NameCase> { };

TEST_P(NetworkNameOf, IsOneDecodedNameInOneFolder)
{
    EXPECT_EQ(NetworkName::fileNameOf(GetParam().url), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, NetworkNameOf,
    testing::Values(
        NameCase {"Plain", QStringLiteral("http://h/dir/f.zip"), QStringLiteral("f.zip")},
        NameCase {"DecodedOnce", QStringLiteral("http://h/my%20file%20%C3%A9.zip"),
                  QString::fromUtf8("my file \xC3\xA9.zip")},
        NameCase {"NotTwice", QStringLiteral("ftp://h/a%2541.zip"), QStringLiteral("a%41.zip")},
        NameCase {"QueryAndFragmentGo", QStringLiteral("http://h/f.zip?x=/y#top"), QStringLiteral("f.zip")},
        NameCase {"EncodedSlashStaysInTheName", QStringLiteral("http://h/..%2F..%2Fetc%2Fpasswd"),
                  QStringLiteral(".._.._etc_passwd")},
        NameCase {"ControlCharacters", QStringLiteral("http://h/a%0Ab%00c.zip"), QStringLiteral("a_b_c.zip")},
        NameCase {"BidiOverride", QStringLiteral("http://h/photo%E2%80%AEgpj.exe"), QStringLiteral("photo_gpj.exe")},
        NameCase {"FolderGivesIndex", QStringLiteral("http://h/dir/"), QStringLiteral("index.html")},
        NameCase {"DotsGiveIndex", QStringLiteral("http://h/dir/%2E%2E"), QStringLiteral("index.html")}),
    CaseName());

} // namespace
