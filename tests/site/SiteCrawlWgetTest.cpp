#include "CrawlHarness.h"
#include "GeneratedSite.h"
#include "RequestOverlap.h"

#include "settings/KevaContext.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A generated site of about 300 pages and files, crawled by the site
// download and by `wget -r -np` restricted the same way (text pages and every
// other type but "gif" and "jpeg", no limit per page, not above the start
// page's folder, not onto other servers): both end with the same files, byte
// for byte.
TEST(SiteCrawlAgainstWget, BothFetchTheSameFilesByteForByte)
{
    QTemporaryDir served;
    QTemporaryDir work;
    const QString timingLog = work.filePath(QStringLiteral("timing.log"));
    NginxServer nginx(served.path());
    nginx.addHttpText(QStringLiteral("types { text/html html htm; }\n")
                      + RequestOverlap::logFormat(QStringLiteral("timing")));
    nginx.addServerText(QStringLiteral("access_log \"%1\" timing;\n").arg(timingLog));
    KEVA_REQUIRE_PEER(nginx);
    const QString wget = QStandardPaths::findExecutable(QStringLiteral("wget"));
    const PeerRequirement wgetThere = PeerRequirement::decide(!wget.isEmpty(), !wget.isEmpty(), qgetenv("CI") == "true",
                                                              QStringLiteral("wget"), QString());
    if (wgetThere.outcome == PeerRequirement::Outcome::Skip)
        GTEST_SKIP() << wgetThere.message;
    ASSERT_EQ(wgetThere.outcome, PeerRequirement::Outcome::Ready) << wgetThere.message;

    const GeneratedSite::Made made = GeneratedSite::write(served.path(), nginx.port());
    const QString startUrl = nginx.url(QStringLiteral("/site/index.html")).toString();

    CrawlHarness harness;
    harness.context->dialogSettings.txtLimitHTTP = QStringLiteral("3");
    const QString crawled = work.filePath(QStringLiteral("crawl"));
    QDir().mkpath(crawled);
    harness.crawlFrom(startUrl, crawled + QStringLiteral("/index.html"));
    ASSERT_TRUE(harness.waitUntilOver(300000));
    const int mostAtOnce = RequestOverlap::most(timingLog);

    const QString fetched = work.filePath(QStringLiteral("wget"));
    QProcess process;
    process.start(wget,
                  {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-l"), QStringLiteral("inf"),
                   QStringLiteral("-np"), QStringLiteral("-nH"), QStringLiteral("--cut-dirs=1"), QStringLiteral("-e"),
                   QStringLiteral("robots=off"), QStringLiteral("-R"), QStringLiteral("gif,jpeg"), QStringLiteral("-P"),
                   fetched, startUrl});
    ASSERT_TRUE(process.waitForFinished(300000));
    // 8: some links led to files the server does not have.
    EXPECT_EQ(process.exitCode(), made.missing > 0 ? 8 : 0) << process.readAllStandardError().toStdString();

    const QMap<QString, QByteArray> ours = CrawlHarness::tree(crawled);
    const QMap<QString, QByteArray> theirs = CrawlHarness::tree(fetched);
    // Every page, and every file but the images the options leave out.
    EXPECT_GE(ours.size(), made.pages + made.files * 3 / 4);
    EXPECT_EQ(ours.keys(), theirs.keys());
    EXPECT_EQ(ours, theirs);

    const CrawlProgress& progress = harness.crawl->progress();
    EXPECT_EQ(progress.phase, CrawlProgress::Phase::Finished);
    EXPECT_EQ(progress.pages, made.pages);
    EXPECT_EQ(progress.done, ours.size() - 1) << "every file but the start page is a download of the crawl";
    EXPECT_EQ(progress.failed, made.missing);
    EXPECT_LE(mostAtOnce, 3);
    EXPECT_GE(mostAtOnce, 1);
    EXPECT_TRUE(harness.home.prompter.shown.isEmpty()) << harness.home.prompter.shown.first().text.toStdString();
}

} // namespace
