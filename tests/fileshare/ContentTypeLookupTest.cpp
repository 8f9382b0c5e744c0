#include "fileshare/http/ContentTypeLookup.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

class ContentTypeLookupTest : public testing::Test {
protected:
    void SetUp() override
    {
        home.writeFile(QStringLiteral("registry/HKEY_CLASSES_ROOT.reg"),
                       "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.htm]\r\n\"Content Type\"=\"text/html\"\r\n\r\n"
                       "[HKEY_CLASSES_ROOT\\.txt]\r\n\"Content Type\"=\"text/x-registry\"\r\n");
        home.writeFile(QStringLiteral("mime.types"), "# comment\ntext/x-table\ttxt text\napplication/zip\t\tzip\n");
    }

    TestHome home;
    ContentTypeLookup lookup {home.registryFolder(), home.path(QStringLiteral("mime.types"))};
};

TEST_F(ContentTypeLookupTest, RegistryThenMimeTableThenPlainText)
{
    EXPECT_EQ(lookup.lookup(".htm"), "text/html");
    EXPECT_EQ(lookup.lookup(".TXT"), "text/x-registry");
    EXPECT_EQ(lookup.lookup(".Zip"), "application/zip");
    EXPECT_EQ(lookup.lookup(".text"), "text/x-table");
    EXPECT_EQ(lookup.lookup(".unknownext"), "text/plain");
    EXPECT_EQ(lookup.lookup(""), "text/plain");
    EXPECT_EQ(lookup.lookup("."), "text/plain");
}

TEST_F(ContentTypeLookupTest, AnswersAreCachedAndUnknownsAreNot)
{
    EXPECT_EQ(lookup.lookup(".htm"), "text/html");
    EXPECT_EQ(lookup.lookup(".new"), "text/plain");
    home.writeFile(QStringLiteral("registry/HKEY_CLASSES_ROOT.reg"),
                   "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.htm]\r\n\"Content Type\"=\"changed/type\"\r\n\r\n"
                   "[HKEY_CLASSES_ROOT\\.new]\r\n\"Content Type\"=\"text/x-new\"\r\n");
    EXPECT_EQ(lookup.lookup(".htm"), "text/html");
    EXPECT_EQ(lookup.lookup(".new"), "text/x-new");
}

TEST_F(ContentTypeLookupTest, ConcurrentLookupsAgree)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong {0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (lookup.lookup(i % 2 ? ".zip" : ".htm") != (i % 2 ? "application/zip" : "text/html"))
                    ++wrong;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

struct ExtensionCase {
    const char* name;
    const char* path;
    const char* extension;
};

class ExtensionCases : public testing::TestWithParam<ExtensionCase> { };

TEST_P(ExtensionCases, TakesTheLastSegmentsExtension)
{
    EXPECT_EQ(ContentTypeLookup::extensionOf(GetParam().path), GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtensionCases,
                         testing::Values(ExtensionCase {"Plain", "/a/b.zip", ".zip"},
                                         ExtensionCase {"TwoDots", "/a/b.tar.gz", ".gz"},
                                         ExtensionCase {"DotInFolder", "/a.d/b", ""},
                                         ExtensionCase {"None", "/README", ""}),
                         CaseName());

} // namespace
