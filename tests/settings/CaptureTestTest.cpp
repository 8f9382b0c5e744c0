#include "settings/CaptureTest.h"

#include "settings/SettingsDefaults.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct CaptureCase {
    const char* name;
    const char* list; // nullptr: the default list
    const char* item; // a server name or a file name
    bool listed;
};

class CaptureTestTypes : public testing::TestWithParam<CaptureCase> { };

TEST_P(CaptureTestTypes, MatchesTheExtension)
{
    const CaptureCase& c = GetParam();
    const QString list = c.list ? QString::fromUtf8(c.list) : SettingsDefaults::kMonitorTypes;
    EXPECT_EQ(CaptureTest::typeListed(list, QString::fromUtf8(c.item)), c.listed);
}

INSTANTIATE_TEST_SUITE_P(Cases, CaptureTestTypes,
                         testing::Values(CaptureCase {"WildcardR01", nullptr, "part.r01", true},
                                         CaptureCase {"CapitalExeIsNotLowerCased", nullptr, "SETUP.EXE", false},
                                         CaptureCase {"LowerExe", nullptr, "setup.exe", true},
                                         CaptureCase {"OtherType", nullptr, "page.html", false},
                                         CaptureCase {"WildcardNeedsTheSameLength", nullptr, "part.r012", false},
                                         CaptureCase {"QuestionMarkNotInTheFirstTwo", ".?ip", "a.zip", false},
                                         CaptureCase {"NoDotIsTheWholeName", "readme", "readme", true},
                                         CaptureCase {"EmptyFileName", nullptr, "", false},
                                         CaptureCase {"EmptyList", "", "a.zip", false},
                                         CaptureCase {"LineBreaksAndSpacesDropped", " .z\r\nip ;", "a.zip", true}),
                         CaseName());

class CaptureTestServers : public testing::TestWithParam<CaptureCase> { };

TEST_P(CaptureTestServers, MatchesTheServer)
{
    const CaptureCase& c = GetParam();
    const QString list = c.list ? QString::fromUtf8(c.list) : SettingsDefaults::kMonitorServer;
    EXPECT_EQ(CaptureTest::serverListed(list, QString::fromUtf8(c.item)), c.listed);
}

INSTANTIATE_TEST_SUITE_P(Cases, CaptureTestServers,
                         testing::Values(CaptureCase {"Exact", nullptr, "deb.debian.org", true},
                                         CaptureCase {"EntryWithoutStarEndsALongerName", "debian.org", "ftp.debian.org",
                                                      true},
                                         CaptureCase {"StarTail", nullptr, "de.archive.ubuntu.com", true},
                                         CaptureCase {"TailMustBeShorter", "*.example.org", ".example.org", false},
                                         CaptureCase {"ServerIsNotLowerCased", nullptr, "DEB.DEBIAN.ORG", false},
                                         CaptureCase {"Unlisted", nullptr, "example.com", false},
                                         CaptureCase {"EmptyList", "", "example.com", false}),
                         CaseName());

TEST(CaptureTest, CutsTheUrlIntoServerAndFileName)
{
    const struct {
        const char* url;
        const char* server;
        const char* file;
    } cases[] = {
        {"http://user:pw@files.example.org:8080/pub/a.zip", "files.example.org", "a.zip"},
        {"ftp://ftp.example.org/dir/", "ftp.example.org", ""},
        {"example.org/x.r01", "example.org", "x.r01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CaptureTest::serverName(QString::fromUtf8(c.url)), QString::fromUtf8(c.server)) << c.url;
        EXPECT_EQ(CaptureTest::fileName(QString::fromUtf8(c.url)), QString::fromUtf8(c.file)) << c.url;
    }
}

} // namespace
