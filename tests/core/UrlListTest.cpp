#include "core/UrlList.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct UrlListCase {
    const char* name;
    const char* text;
    QStringList urls;
    bool isList;
};

class UrlListCases : public testing::TestWithParam<UrlListCase> { };

TEST_P(UrlListCases, TakesOneUrlALine)
{
    const UrlListCase& c = GetParam();
    EXPECT_EQ(UrlList::parse(QString::fromUtf8(c.text)), c.urls);
    EXPECT_EQ(UrlList::isList(QString::fromUtf8(c.text)), c.isList);
}

const QString kA = QStringLiteral("http://h/a.zip");
const QString kB = QStringLiteral("ftp://h/b.zip");

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlListCases,
    testing::Values(UrlListCase {"OneUrl", "http://h/a.zip", {kA}, false}, UrlListCase {"Empty", "", {}, false},
                    UrlListCase {"TwoLines", "http://h/a.zip\nftp://h/b.zip\n", {kA, kB}, true},
                    UrlListCase {"CrLfLineEnds", "http://h/a.zip\r\nftp://h/b.zip\r\n", {kA, kB}, true},
                    UrlListCase {"CrLineEnds", "http://h/a.zip\rftp://h/b.zip", {kA, kB}, true},
                    UrlListCase {"BlankLinesSkipped", "\n  \n\thttp://h/a.zip\n\n \t\nftp://h/b.zip", {kA, kB}, true},
                    UrlListCase {"BlanksAroundTrimmed", "  http://h/a.zip \t\n\tftp://h/b.zip  ", {kA, kB}, true},
                    UrlListCase {"CommentsSkipped", "# mirrors\nhttp://h/a.zip\n  # ftp://h/old.zip\n", {kA}, true},
                    UrlListCase {
                        "HashInsideAUrlKept", "http://h/a.zip#part", {QStringLiteral("http://h/a.zip#part")}, false},
                    UrlListCase {"NonUrlLinesKept",
                                 "see below\nhttp://h/a.zip\nwww.example.org/c.zip",
                                 {QStringLiteral("see below"), kA, QStringLiteral("www.example.org/c.zip")},
                                 true}),
    CaseName());

} // namespace
