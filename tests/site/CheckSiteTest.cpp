#include "site/CheckSite.h"

#include "site/SiteLinkList.h"
#include "site/SiteOptions.h"

#include "support/CaseName.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The crawl started at http://h:8080/site/index.html, saved in /crawl.
const QString kStart = QStringLiteral("http://h:8080/site/index.html");
const QString kFolder = QStringLiteral("/crawl");
const char* const kPage = "http://h:8080/site/docs/page.html";

QList<SiteDownload> check(CheckSite& checkSite, const QString& text, const QString& pageUrl)
{
    QByteArray bytes = text.toUtf8();
    QBuffer page(&bytes);
    page.open(QIODevice::ReadOnly);
    return checkSite.run(page, QUrl(pageUrl));
}

struct PageCase {
    const char* name;
    const char* page; // the page's text
    std::function<void(SiteOptions&)> options;
    // What the page queues, in order: address and save path, " -> " between them.
    std::vector<const char*> queued;
    const char* pageUrl = kPage;
};

class CheckSitePage : public testing::TestWithParam<PageCase> { };

TEST_P(CheckSitePage, QueuesWhatThePageLinksTo)
{
    const PageCase& c = GetParam();
    SiteOptions options;
    if (c.options)
        c.options(options);
    SiteLinkList links;
    CheckSite checkSite(options, links, CrawlRoot::of(kStart, kFolder + QStringLiteral("/index.html")));
    QStringList queued;
    for (const SiteDownload& download : check(checkSite, QString::fromUtf8(c.page), QString::fromUtf8(c.pageUrl)))
        queued.append(download.url + QStringLiteral(" -> ") + download.savePath);
    QStringList expected;
    for (const char* entry : c.queued)
        expected.append(QString::fromUtf8(entry));
    EXPECT_EQ(queued, expected);
}

void textOnly(SiteOptions& o)
{
    o.FileTypeTxt = true;
    o.FileTypeGif = false;
    o.FileTypeAll = false;
}
void imagesOnly(SiteOptions& o)
{
    o.FileTypeTxt = false;
    o.FileTypeGif = true;
    o.FileTypeAll = false;
}
void textAndImages(SiteOptions& o)
{
    o.FileTypeTxt = true;
    o.FileTypeGif = true;
    o.FileTypeAll = false;
}
void allFiles(SiteOptions& o)
{
    o.FileTypeTxt = false;
    o.FileTypeGif = false;
    o.FileTypeAll = true;
}
void noType(SiteOptions& o)
{
    o.FileTypeTxt = false;
    o.FileTypeGif = false;
    o.FileTypeAll = false;
}
void limitOf3(SiteOptions& o)
{
    o.FileNumNoLim = false;
    o.FileNumNoFiles = true;
    o.FileNumNoNum = QStringLiteral("3");
}

const char* const kTypes = R"(<a href="a.gif"> <a href="b.jpeg"> <a href="c.jpg"> <a href="d.zip"> <a href="e.txt">
<a href="f.htm"> <a href="g.html"> <a href="h.asp">)";

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckSitePage,
    testing::Values(
        PageCase {"SrcAndHrefOnOneLineInOrder",
                  R"(<img src="b.png"><a href="a.zip">x</a>)",
                  {},
                  {"http://h:8080/site/docs/b.png -> /crawl/docs/b.png",
                   "http://h:8080/site/docs/a.zip -> /crawl/docs/a.zip"}},
        PageCase {"BidiControlsLeaveTheSavedNames",
                  R"(<a href="a%E2%80%AEpiz.exe.zip"> <a href="d%E2%81%A6ir/b%E2%80%8F.zip">)",
                  {},
                  {"http://h:8080/site/docs/a%E2%80%AEpiz.exe.zip -> /crawl/docs/a_piz.exe.zip",
                   "http://h:8080/site/docs/d%E2%81%A6ir/b%E2%80%8F.zip -> /crawl/docs/d_ir/b_.zip"}},
        PageCase {"HrefBeforeSrc",
                  R"(<a href="a.zip"><img src="b.png"></a>)",
                  {},
                  {"http://h:8080/site/docs/a.zip -> /crawl/docs/a.zip",
                   "http://h:8080/site/docs/b.png -> /crawl/docs/b.png"}},
        PageCase {
            "TextOnlySkipsGifAndJpegOnly",
            kTypes,
            textOnly,
            {"http://h:8080/site/docs/c.jpg -> /crawl/docs/c.jpg", "http://h:8080/site/docs/d.zip -> /crawl/docs/d.zip",
             "http://h:8080/site/docs/e.txt -> /crawl/docs/e.txt", "http://h:8080/site/docs/f.htm -> /crawl/docs/f.htm",
             "http://h:8080/site/docs/g.html -> /crawl/docs/g.html",
             "http://h:8080/site/docs/h.asp -> /crawl/docs/h.asp"}},
        PageCase {"ImagesOnlySkipsTextPages",
                  kTypes,
                  imagesOnly,
                  {"http://h:8080/site/docs/a.gif -> /crawl/docs/a.gif",
                   "http://h:8080/site/docs/b.jpeg -> /crawl/docs/b.jpeg",
                   "http://h:8080/site/docs/c.jpg -> /crawl/docs/c.jpg",
                   "http://h:8080/site/docs/d.zip -> /crawl/docs/d.zip",
                   "http://h:8080/site/docs/h.asp -> /crawl/docs/h.asp"}},
        PageCase {"TextAndImagesTakeOnlyTheirFiveTypes",
                  kTypes,
                  textAndImages,
                  {"http://h:8080/site/docs/a.gif -> /crawl/docs/a.gif",
                   "http://h:8080/site/docs/b.jpeg -> /crawl/docs/b.jpeg",
                   "http://h:8080/site/docs/e.txt -> /crawl/docs/e.txt",
                   "http://h:8080/site/docs/f.htm -> /crawl/docs/f.htm",
                   "http://h:8080/site/docs/g.html -> /crawl/docs/g.html"}},
        PageCase {
            "AllFilesSkipsNothing",
            kTypes,
            allFiles,
            {"http://h:8080/site/docs/a.gif -> /crawl/docs/a.gif",
             "http://h:8080/site/docs/b.jpeg -> /crawl/docs/b.jpeg",
             "http://h:8080/site/docs/c.jpg -> /crawl/docs/c.jpg", "http://h:8080/site/docs/d.zip -> /crawl/docs/d.zip",
             "http://h:8080/site/docs/e.txt -> /crawl/docs/e.txt", "http://h:8080/site/docs/f.htm -> /crawl/docs/f.htm",
             "http://h:8080/site/docs/g.html -> /crawl/docs/g.html",
             "http://h:8080/site/docs/h.asp -> /crawl/docs/h.asp"}},
        PageCase {"NoTypeTakesNothing", kTypes, noType, {}},
        PageCase {"LimitOf3TakesThreeOfFive",
                  R"(<a href="1.zip"><a href="2.zip"><a href="3.zip"><a href="4.zip"><a href="5.zip">)",
                  limitOf3,
                  {"http://h:8080/site/docs/1.zip -> /crawl/docs/1.zip",
                   "http://h:8080/site/docs/2.zip -> /crawl/docs/2.zip",
                   "http://h:8080/site/docs/3.zip -> /crawl/docs/3.zip"}},
        PageCase {"DuplicatesCountTowardsTheLimit",
                  R"(<a href="1.zip"><a href="1.zip"><a href="2.zip"><a href="3.zip">)",
                  limitOf3,
                  {"http://h:8080/site/docs/1.zip -> /crawl/docs/1.zip",
                   "http://h:8080/site/docs/2.zip -> /crawl/docs/2.zip"}},
        PageCase {"LinksBelowThePage",
                  "<a href=\"sub/deep/x.zip\">",
                  {},
                  {"http://h:8080/site/docs/sub/deep/x.zip -> /crawl/docs/sub/deep/x.zip"}},
        PageCase {"ParentLinkInsideTheStartFolder",
                  "<a href=\"../top.html\">",
                  {},
                  {"http://h:8080/site/top.html -> /crawl/top.html"}},
        PageCase {"RootRelativeInsideTheStartFolder",
                  "<a href=\"/site/img/a.png\">",
                  {},
                  {"http://h:8080/site/img/a.png -> /crawl/img/a.png"}},
        PageCase {"AbsoluteOnTheSameServer",
                  "<a href=\"http://H:8080/site/a.zip\">",
                  {},
                  {"http://h:8080/site/a.zip -> /crawl/a.zip"}},
        PageCase {"PageEndingInASlash",
                  "<a href=\"a.zip\">",
                  {},
                  {"http://h:8080/site/docs/a.zip -> /crawl/docs/a.zip"},
                  "http://h:8080/site/docs/"},
        PageCase {
            "OtherServersAreSkipped",
            R"(<a href="http://other/site/a.zip"><a href="http://h:8081/site/b.zip"><a href="ftp://h:8080/site/c.zip"><a href="//other/site/d.zip">)",
            {},
            {}},
        PageCase {"FragmentIsDropped",
                  R"(<a href="a.html#part"><a href="a.html#other"><a href="#top">)",
                  {},
                  {"http://h:8080/site/docs/a.html -> /crawl/docs/a.html",
                   "http://h:8080/site/docs/page.html -> /crawl/docs/page.html"}},
        PageCase {
            "MailtoJavascriptAndDataAreSkipped",
            R"html(<a href="mailto:me@h.org"><a href="javascript:go('x.zip')"><img src="data:image/gif;base64,R0lGOD"><a href="MAILTO:x@y.z">)html",
            {},
            {}},
        PageCase {"SingleQuotesAndUpperCaseAttributes",
                  R"(<A HREF='a.zip'><IMG Src="b.png"><img src='c d.png'>)",
                  {},
                  {"http://h:8080/site/docs/a.zip -> /crawl/docs/a.zip",
                   "http://h:8080/site/docs/b.png -> /crawl/docs/b.png",
                   "http://h:8080/site/docs/c%20d.png -> /crawl/docs/c d.png"}},
        PageCase {"AQuoteLeftOpenIsNoLink",
                  R"(<a href="a.zip'> <a href='b.zip'>)",
                  {},
                  {"http://h:8080/site/docs/b.zip -> /crawl/docs/b.zip"}},
        PageCase {"QueriesKeepFilesApart",
                  R"(<a href="get.zip?v=1"><a href="get.zip?v=2/x">)",
                  {},
                  {"http://h:8080/site/docs/get.zip?v=1 -> /crawl/docs/get.zip?v=1",
                   "http://h:8080/site/docs/get.zip?v=2/x -> /crawl/docs/get.zip?v=2%2Fx"}},
        PageCase {"FoldersAreNoFiles", R"(<a href="sub/"><a href="../">)", {}, {}},
        // Links that would write outside the crawl's folder.
        PageCase {"EscapeByParents", R"(<a href="../../../../home/user/.bashrc">)", {}, {}},
        PageCase {"EscapeByAbsolutePath", R"(<a href="/etc/passwd"><a href="/home/user/.bashrc">)", {}, {}},
        PageCase {"EscapeByFileUrl", R"(<a href="file:///etc/passwd">)", {}, {}},
        PageCase {"EscapeByDrive", R"(<a href="C:\Windows\win.ini"><a href="c:/boot.ini">)", {}, {}},
        PageCase {"EscapeByBackslashes", R"(<a href="..\..\..\x.txt"><a href="\etc\passwd">)", {}, {}},
        PageCase {"EscapeByEncodedParents",
                  R"(<a href="%2e%2e/%2e%2e/%2E%2E/x.txt"><a href="a/%2e%2e%2f%2e%2e%2fx.txt">)",
                  {},
                  {}},
        PageCase {
            "EscapeByEncodedSlashOrNul", R"(<a href="a%2Fb.txt"><a href="a%5Cb.txt"><a href="a%00.txt">)", {}, {}},
        PageCase {"BackslashesInsideTheFolderResolveAsSlashes",
                  R"(<a href="sub\x.zip">)",
                  {},
                  {"http://h:8080/site/docs/sub/x.zip -> /crawl/docs/sub/x.zip"}}),
    CaseName());

TEST(CheckSite, ALinkOnTwoPagesIsQueuedOnce)
{
    SiteOptions options;
    SiteLinkList links;
    CheckSite checkSite(options, links, CrawlRoot::of(kStart, kFolder + QStringLiteral("/index.html")));
    const QList<SiteDownload> first = check(checkSite, QStringLiteral("<a href=\"a.zip\"><a href=\"b.zip\">"),
                                            QString::fromUtf8(kPage));
    const QList<SiteDownload> second = check(checkSite, QStringLiteral("<a href=\"../docs/a.zip\"><a href=\"c.zip\">"),
                                             QStringLiteral("http://h:8080/site/docs/other.html"));
    ASSERT_EQ(first.size(), 2);
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(second[0].url, QStringLiteral("http://h:8080/site/docs/c.zip"));
    EXPECT_EQ(
        links.urls(),
        (QStringList {QStringLiteral("http://h:8080/site/docs/a.zip"), QStringLiteral("http://h:8080/site/docs/b.zip"),
                      QStringLiteral("http://h:8080/site/docs/c.zip")}));
}

// The link over one page's limit is left for a page that links it within
// its own limit.
TEST(CheckSite, ALinkOverOnePagesLimitIsTakenFromAnother)
{
    SiteOptions options;
    limitOf3(options);
    SiteLinkList links;
    CheckSite checkSite(options, links, CrawlRoot::of(kStart, kFolder + QStringLiteral("/index.html")));
    EXPECT_EQ(check(checkSite,
                    QStringLiteral("<a href=\"1.zip\"><a href=\"2.zip\"><a href=\"3.zip\"><a href=\"4.zip\">"),
                    QString::fromUtf8(kPage))
                  .size(),
              3);
    const QList<SiteDownload> second = check(checkSite, QStringLiteral("<a href=\"4.zip\">"),
                                             QStringLiteral("http://h:8080/site/docs/other.html"));
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(second[0].url, QStringLiteral("http://h:8080/site/docs/4.zip"));
}

// A page is read in pieces of 64 KiB: a value and an attribute's name cut
// by a piece's end are still found; a value left open runs past its line.
TEST(CheckSite, FindsLinksAcrossThePiecesOfALongLine)
{
    QString page = QString(65536 - 12, u'x') + QStringLiteral("<a href=\"aa.zip\">");
    page += QString(131072 - 2 - page.size(), u'y') + QStringLiteral("SRC='b.png' href=\"open");
    page += QString(70000, u'z') + QStringLiteral("\nhref=\"c.zip\"");
    SiteOptions options;
    SiteLinkList links;
    CheckSite checkSite(options, links, CrawlRoot::of(kStart, kFolder + QStringLiteral("/index.html")));
    QStringList urls;
    for (const SiteDownload& download : check(checkSite, page, QString::fromUtf8(kPage)))
        urls.append(download.url);
    EXPECT_EQ(
        urls,
        (QStringList {QStringLiteral("http://h:8080/site/docs/aa.zip"), QStringLiteral("http://h:8080/site/docs/b.png"),
                      QStringLiteral("http://h:8080/site/docs/c.zip")}));
}

TEST(CheckSite, AnUnreadablePageGivesNoLinks)
{
    SiteOptions options;
    SiteLinkList links;
    CheckSite checkSite(options, links, CrawlRoot::of(kStart, kFolder + QStringLiteral("/index.html")));
    EXPECT_TRUE(checkSite.runFile(QStringLiteral("/nonexistent/page.html"), QUrl(QString::fromUtf8(kPage))).isEmpty());
}

} // namespace
