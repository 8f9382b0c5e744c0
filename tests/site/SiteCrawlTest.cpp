#include "CrawlHarness.h"
#include "RequestOverlap.h"

#include "engine/DownloadJob.h"
#include "settings/KevaContext.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A site served by nginx from a folder of its own, pages as text/html.
class SiteCrawlTest : public testing::Test {
protected:
    void SetUp() override
    {
        QFile::setPermissions(served.path(),
                              QFile::permissions(served.path()) | QFileDevice::ExeOther | QFileDevice::ReadOther);
        nginx = std::make_unique<NginxServer>(served.path());
        nginx->addHttpText(QStringLiteral("types { text/html html htm; }\n")
                           + RequestOverlap::logFormat(QStringLiteral("timing")));
        nginx->addServerText(QStringLiteral("access_log \"%1\" timing;\n").arg(timingLog()));
    }
    QString timingLog() const { return logs.filePath(QStringLiteral("timing.log")); }
    void serve(const QString& name, const QByteArray& content) const
    {
        const QString path = served.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray servedHash(const QString& name) const
    {
        QFile file(served.filePath(name));
        file.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    }
    static QByteArray bytes(int size, char seed)
    {
        QByteArray data(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            data[i] = static_cast<char>(seed + i * 7 + i / 251);
        return data;
    }
    QString url(const QString& path) const { return nginx->url(path).toString(); }
    QString crawlFolder() const { return harness.home.path(QStringLiteral("crawl")); }
    void start(const QString& path)
    {
        QDir().mkpath(crawlFolder());
        harness.crawlFrom(url(path), crawlFolder() + QStringLiteral("/index.html"));
    }

    QTemporaryDir served;
    QTemporaryDir logs;
    std::unique_ptr<NginxServer> nginx;
    CrawlHarness harness;
};

TEST_F(SiteCrawlTest, FetchesWhatThePagesLinkToBeneathTheStartFolder)
{
    serve(
        QStringLiteral("site/index.html"),
        "<html><body>\n"
        "<a href=\"page1.html\">1</a> <A HREF='sub/page2.htm'>2</A> <img src=\"img/logo.gif\"><img "
        "src='img/photo.jpg'>\n"
        "<a href=\"http://other.invalid/x.zip\">x</a> <a href=\"mailto:a@b.c\">m</a> <a href=\"../outside.zip\">o</a>\n"
        "<a href=\"/etc/passwd\">p</a> <a href=\"data.zip#part\">d</a> <a href=\"..\\..\\outside.zip\">b</a>\n"
        "</body></html>\n");
    serve(QStringLiteral("site/page1.html"),
          "<a href=\"index.html\">home</a> <a href=\"sub/page2.htm#top\">2</a> <a href=\"data.zip\">d</a>\n"
          "<a href=\"notes.txt\">n</a>\n");
    serve(QStringLiteral("site/sub/page2.htm"),
          "<a href=\"../page1.html\">1</a> <a href=\"deep/file.bin\">f</a> <a href=\"../../outside.zip\">o</a>\n"
          "<img src=\"/site/img/abs.png\">\n");
    serve(QStringLiteral("site/img/logo.gif"), bytes(3000, 'g'));
    serve(QStringLiteral("site/img/photo.jpg"), bytes(5000, 'j'));
    serve(QStringLiteral("site/img/abs.png"), bytes(7000, 'p'));
    serve(QStringLiteral("site/data.zip"), bytes(40000, 'z'));
    serve(QStringLiteral("site/notes.txt"), "notes\n");
    serve(QStringLiteral("site/sub/deep/file.bin"), bytes(90000, 'b'));
    serve(QStringLiteral("outside.zip"), bytes(100, 'o'));
    KEVA_REQUIRE_PEER(*nginx);

    start(QStringLiteral("/site/index.html"));
    ASSERT_TRUE(harness.waitUntilOver());

    const QMap<QString, QByteArray> crawled = CrawlHarness::tree(crawlFolder());
    QMap<QString, QByteArray> expected;
    for (const char* name : {"index.html", "page1.html", "sub/page2.htm", "img/photo.jpg", "img/abs.png", "data.zip",
                             "notes.txt", "sub/deep/file.bin"})
        expected.insert(QString::fromLatin1(name), servedHash(QStringLiteral("site/") + QString::fromLatin1(name)));
    EXPECT_EQ(crawled, expected);
    EXPECT_FALSE(QFile::exists(harness.home.path(QStringLiteral("outside.zip"))));
    EXPECT_FALSE(QFile::exists(harness.home.path(QStringLiteral("crawl/../outside.zip"))));

    const CrawlProgress& progress = harness.crawl->progress();
    EXPECT_EQ(progress.phase, CrawlProgress::Phase::Finished);
    EXPECT_EQ(progress.pages, 3);
    EXPECT_EQ(progress.done, 7);
    EXPECT_EQ(progress.failed, 0);
    EXPECT_EQ(progress.queued, 0);
    EXPECT_EQ(progress.running, 0);
    EXPECT_FALSE(harness.intake.siteDownloadRunning());
    // One row per file; once the crawl is over the start page's row tells how
    // it ended, and the other pages' rows no longer say the rest is coming.
    EXPECT_EQ(harness.jobs.rowCount(), 8);
    EXPECT_EQ(harness.jobs.row(1)->subItem(JobColumn::Status),
              QStringLiteral("Site download finished: 3 pages read, 0 queued, 0 running, 7 done, 0 failed"));
    EXPECT_EQ(harness.jobs.row(2)->subItem(JobColumn::Status), QStringLiteral("Download Success"));
    EXPECT_EQ(harness.jobs.row(8)->subItem(JobColumn::Status), QStringLiteral("Download Success"));
}

TEST_F(SiteCrawlTest, QueuedRowsStartInTheirOrderWithinThePerServerLimit)
{
    QByteArray index;
    for (int i = 1; i <= 8; ++i) {
        index += QStringLiteral("<a href=\"f%1.bin\">%1</a>\n").arg(i).toUtf8();
        serve(QStringLiteral("f%1.bin").arg(i), bytes(150000, static_cast<char>(i)));
    }
    serve(QStringLiteral("index.html"), index);
    nginx->addServerText(QStringLiteral("limit_rate 2m;\n"));
    KEVA_REQUIRE_PEER(*nginx);
    harness.context->dialogSettings.txtLimitHTTP = QStringLiteral("2");

    start(QStringLiteral("/index.html"));
    ASSERT_TRUE(harness.waitUntilOver());

    EXPECT_EQ(harness.crawl->progress().done, 8);
    // Each file takes about 75 ms at 2 MB/s: a third download at once would
    // overlap by far more than the delay nginx adds before its log line.
    EXPECT_LE(RequestOverlap::most(timingLog(), 30), 2);
    QStringList gets;
    for (const QString& request : RequestOverlap::requests(timingLog())) {
        if (request.startsWith(QStringLiteral("GET /f")))
            gets.append(request.section(QLatin1Char(' '), 1, 1));
    }
    ASSERT_EQ(gets.size(), 8);
    // Two run at a time, so the second of a pair may end first.
    for (int i = 0; i < 8; ++i)
        EXPECT_LE(std::abs(gets.indexOf(QStringLiteral("/f%1.bin").arg(i + 1)) - i), 1)
            << gets.join(QLatin1Char(' ')).toStdString();
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(CrawlHarness::tree(crawlFolder()).value(QStringLiteral("f%1.bin").arg(i)),
                  servedHash(QStringLiteral("f%1.bin").arg(i)));
}

TEST_F(SiteCrawlTest, TheGlobalStopLeavesTheQueuedRowsListed)
{
    QByteArray index;
    for (int i = 1; i <= 4; ++i) {
        index += QStringLiteral("<a href=\"f%1.bin\">%1</a>\n").arg(i).toUtf8();
        serve(QStringLiteral("f%1.bin").arg(i), bytes(400000, static_cast<char>(i)));
    }
    serve(QStringLiteral("index.html"), index);
    nginx->addServerText(QStringLiteral("location ~ \\.bin$ { limit_rate 50k; }\n"));
    KEVA_REQUIRE_PEER(*nginx);
    harness.context->dialogSettings.txtLimitHTTP = QStringLiteral("1");

    start(QStringLiteral("/index.html"));
    ASSERT_TRUE(CrawlHarness::waitFor(
        [&] { return harness.crawl->progress().running == 1 && harness.jobs.rowCount() == 5; }, 20000));
    ASSERT_TRUE(CrawlHarness::waitFor(
        [&] { return harness.windows->slot(1) && harness.windows->slot(1)->isTransferring(); }, 20000));
    harness.crawl->stop();
    harness.windows->slot(1)->StopMe();
    CrawlHarness::waitFor([] { return false; }, 300);

    EXPECT_EQ(harness.crawl->progress().phase, CrawlProgress::Phase::Stopped);
    EXPECT_FALSE(harness.intake.siteDownloadRunning());
    for (int row = 3; row <= 5; ++row)
        EXPECT_EQ(harness.jobs.row(row)->subItem(JobColumn::Status), QStringLiteral("Not Downloaded")) << row;
    for (int slot = 2; slot < 5; ++slot)
        EXPECT_EQ(harness.windows->slot(slot), nullptr) << slot;
}

TEST(SiteCrawl, CancellingTheStartPageEndsTheSiteMode)
{
    CrawlHarness harness;
    harness.crawl->begin();
    EXPECT_TRUE(harness.intake.siteDownloadRunning());
    EXPECT_EQ(harness.crawl->progress().text(harness.context->text),
              QStringLiteral("Site download: waiting for the start page"));
    harness.crawl->cancelStart();
    EXPECT_FALSE(harness.intake.siteDownloadRunning());
    EXPECT_EQ(harness.crawl->progress().phase, CrawlProgress::Phase::Off);
}

} // namespace
