#include "mainwin/ui/ReDownloadUrls.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* url;
    bool selected;
};

struct ReDownloadCase {
    const char* name;
    std::vector<Row> rows;
    QStringList expected;
};

class ReDownloadUrlsTest : public testing::TestWithParam<ReDownloadCase> { };

TEST_P(ReDownloadUrlsTest, TakesTheSelectedRowsAddresses)
{
    JobList list;
    for (const Row& row : GetParam().rows) {
        const JobList::Row added = list.addRow(
            {QString(), QString(), QString(), QString(), QString(), QString::fromLatin1(row.url)});
        list.setSelected(added, row.selected);
    }
    QStringList urls;
    for (const ReDownloadItem& item : ReDownloadUrls(list)) {
        urls.append(item.url);
        EXPECT_TRUE(item.row->selected) << "each address comes with its row";
    }
    EXPECT_EQ(urls, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReDownloadUrlsTest,
    testing::Values(
        ReDownloadCase {"OnlySelected",
                        {{"http://a/1", true}, {"http://a/2", false}, {"ftp://a/3", true}},
                        {QStringLiteral("http://a/1"), QStringLiteral("ftp://a/3")}},
        ReDownloadCase {"TextBeforeHttpDropped", {{"see HTTP://a/1", true}}, {QStringLiteral("HTTP://a/1")}},
        ReDownloadCase {"TextBeforeHttpsDropped", {{"see https://a/1", true}}, {QStringLiteral("https://a/1")}},
        ReDownloadCase {"TextBeforeFtpDropped", {{"mirror: ftp://a/2", true}}, {QStringLiteral("ftp://a/2")}},
        ReDownloadCase {"FtpInsideHttpWins", {{"x http://a/?u=ftp://b/c", true}}, {QStringLiteral("ftp://b/c")}},
        ReDownloadCase {"EmptyAddressEnds",
                        {{"http://a/1", true}, {"", true}, {"http://a/3", true}},
                        {QStringLiteral("http://a/1")}},
        ReDownloadCase {"NoneSelected", {{"http://a/1", false}}, {}}),
    CaseName());

} // namespace
