#include "intake/CaptureFilters.h"
#include "intake/UrlCutting.h"
#include "settings/SettingsDefaults.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct CutCase {
    const char* name;
    const char* url;
    const char* server;
    const char* fileName;
};

class UrlCuttingCases : public testing::TestWithParam<CutCase> { };

TEST_P(UrlCuttingCases, CutsServerAndFileName)
{
    const CutCase& c = GetParam();
    EXPECT_EQ(GetServerName(QString::fromUtf8(c.url)), QString::fromUtf8(c.server));
    EXPECT_EQ(GetFileName(QString::fromUtf8(c.url)), QString::fromUtf8(c.fileName));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlCuttingCases,
    testing::Values(
        CutCase {"Plain", "http://Files.Example.org/pub/A.ZIP", "Files.Example.org", "A.ZIP"},
        CutCase {"UpperCaseScheme", "HTTP://h/x/f.bin", "h", "f.bin"},
        CutCase {"Port", "http://h:8080/f.zip", "h:8080", "f.zip"},
        CutCase {"Https", "https://Secure.example/dl/B.ISO", "Secure.example", "B.ISO"},
        CutCase {"HttpsPort", "https://h:8443/f.zip", "h:8443", "f.zip"}, CutCase {"NoPath", "http://h", "h", ""},
        CutCase {"Folder", "http://h/dir/", "h", ""},
        CutCase {"QueryKept", "http://h/get.php?f=a.zip", "h", "get.php?f=a.zip"},
        CutCase {"FtpCredentials", "ftp://user:pw@ftp.example.org/pub/f.tgz", "ftp.example.org", "f.tgz"},
        CutCase {"FtpAtInPath", "ftp://ftp.example.com/pub/a@b/f.zip", "ftp.example.com", "f.zip"},
        CutCase {"FtpAtInFileName", "ftp://h:2121/icons/logo@2x.zip", "h:2121", "logo@2x.zip"},
        CutCase {"FtpCredentialsAndAtInPath", "ftp://u:p@ftp.example.com/a@b/f.zip", "ftp.example.com", "f.zip"},
        CutCase {"EmbeddedAddress", "res://shdoclc.dll/navcancl.htm#http://h.example/a/b.exe", "h.example", "b.exe"}),
    CaseName());

struct TypeCase {
    const char* name;
    const char* url;
    const char* list; // nothing: the default list
    bool permitted;
};

class ExtPermittedCases : public testing::TestWithParam<TypeCase> { };

TEST_P(ExtPermittedCases, MatchesTheMonitoredTypes)
{
    const TypeCase& c = GetParam();
    const QString list = c.list ? QString::fromUtf8(c.list) : SettingsDefaults::kMonitorTypes;
    EXPECT_EQ(IsExtPermitted(QString::fromUtf8(c.url), list), c.permitted);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtPermittedCases,
                         testing::Values(TypeCase {"Zip", "http://h/a.zip", nullptr, true},
                                         TypeCase {"ZipUpper", "http://h/A.ZIP", nullptr, true},
                                         TypeCase {"TarZip", "http://h/a.tar.zip", nullptr, true},
                                         TypeCase {"R01", "http://h/part.r01", nullptr, true},
                                         TypeCase {"R10", "http://h/part.r10", nullptr, true},
                                         TypeCase {"R20", "http://h/part.r20", nullptr, false},
                                         TypeCase {"NoDot", "http://h/README", nullptr, false},
                                         TypeCase {"QuestionAlone", "http://h/README", "?", true},
                                         TypeCase {"QueryWithZip", "http://h/get.php?f=a.zip", nullptr, true},
                                         TypeCase {"HttpsZip", "https://h/a.zip", nullptr, true},
                                         TypeCase {"HttpsNotListed", "https://h/a.txt", nullptr, false},
                                         TypeCase {"NoBlanks", "http://h/a.exe", ".ZIP;.EXE", true},
                                         TypeCase {"EmptyListPermitsNothing", "http://h/a.zip", "", false}),
                         CaseName());

struct ServerCase {
    const char* name;
    const char* url;
    const char* list;
    bool permitted;
};

class ServerPermittedCases : public testing::TestWithParam<ServerCase> { };

TEST_P(ServerPermittedCases, IgnoresTheListedServers)
{
    const ServerCase& c = GetParam();
    EXPECT_EQ(IsServerPermitted(QString::fromUtf8(c.url), QString::fromUtf8(c.list)), c.permitted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerPermittedCases,
    testing::Values(
        ServerCase {"Exact", "http://HOST/f.zip", "host", false},
        ServerCase {"ExactNotWithPort", "http://host:8080/f.zip", "host", true},
        ServerCase {"HttpsExact", "https://HOST/f.zip", "host", false},
        ServerCase {"HttpsDomainPattern", "https://dl.example.org/f", "*.example.org", false},
        ServerCase {"ExactNotLonger", "http://myhost/f.zip", "host", true},
        ServerCase {"DomainPattern", "http://a.b.example.org/f", "*.example.org", false},
        ServerCase {"SuffixPattern", "http://fileupdate.host/f", "x ; *update.host", false},
        ServerCase {"PatternAnywhere", "http://myupdate.host.other/f", "*update.host", false},
        ServerCase {"StarAlone", "http://anything/f", "*", false},
        ServerCase {"EmptyList", "http://anything/f", "", true},
        ServerCase {"FtpAtInPathStaysIgnored", "ftp://ftp.example.com/pub/a@b/f.zip", "ftp.example.com", false},
        ServerCase {"FtpAtInPathIsNoServer", "ftp://ftp.example.com/pub/a@b/f.zip", "b", true},
        ServerCase {"SpacedSeparators", "http://deb.debian.org/f.deb", "security.debian.org ; deb.debian.org", false}),
    CaseName());

TEST(CaptureFilters, ValidExtensions)
{
    EXPECT_TRUE(IsValidExt(QStringLiteral("zip")));
    EXPECT_TRUE(IsValidExt(QString()));
    for (const char* bad : {"php?id=7", "a:b", "a|b", "a\"b", "a<b", "a>b", "a/b", "a\\b"})
        EXPECT_FALSE(IsValidExt(QString::fromLatin1(bad))) << bad;
}

} // namespace
