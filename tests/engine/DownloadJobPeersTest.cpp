#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "engine/ResumeFile.h"
#include "settings/KevaContext.h"

#include "support/AskedRanges.h"
#include "support/CaseName.h"
#include "support/FaultServer.h"
#include "support/LighttpdServer.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/PyftpdlibServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using DownloadJobPeers = EngineTest;

// Sizes at the segment bounds: byte-exact files, and GETs that ask for each
// byte once, starting at the segments' starts, as nginx logged them.
struct BoundCase {
    const char* name;
    qint64 size;
    int segments; // connections used
};

class DownloadJobSegments : public DownloadJobPeers, public testing::WithParamInterface<BoundCase> { };

TEST_P(DownloadJobSegments, FetchesEachRangeOnceFromNginx)
{
    const BoundCase& c = GetParam();
    const QString name = files.make(c.size);
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);

    const auto result = runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(result.job->view().lblResume, QStringLiteral("** Resume Supported **"));

    const qint64 part = c.size / c.segments;
    QStringList expected;
    for (int i = 0; i < c.segments; ++i) {
        const qint64 first = part * i;
        const qint64 last = i == c.segments - 1 ? c.size - 1 : part * (i + 1) - 1;
        expected.append(QStringLiteral("bytes=%1-%2").arg(first).arg(last));
    }
    // Each segment is asked for in pieces; a connection that is done early
    // may take over part of a slow one's rest.
    ExpectRangesAskedOnce(RangesAsked(nginx, expected), expected);
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Download Success"));
    EXPECT_EQ(runner->jobs.row(1)->subItem(2), QStringLiteral("100%"));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, DownloadJobSegments,
    testing::Values(BoundCase {"BelowTwoMegabytes", 2097151, 1}, BoundCase {"TwoMegabytes", 2097152, 2},
                    BoundCase {"FiveMegabytes", 5242880, 2}, BoundCase {"FiveMegabytesAndOne", 5242881, 3},
                    BoundCase {"TwentyMegabytesAndOne", 20971521, 6}, BoundCase {"TwentyFourMegabytes", 24 * kMiB, 6}),
    CaseName());

TEST_F(DownloadJobPeers, LighttpdServesTheSegmentsToo)
{
    const QString name = files.make(5242881);
    LighttpdServer lighttpd(files.root());
    KEVA_REQUIRE_PEER(lighttpd);
    const auto result = runner->run(lighttpd.url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(result.job->segmentTable().NumSegments, 3);
}

TEST_F(DownloadJobPeers, ResumesAPartialFileFromItsLengthLessTheRollback)
{
    const QString name = files.make(kMiB);
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);
    QFile source(files.path(name));
    source.open(QIODevice::ReadOnly);
    home.writeFile(name, source.read(10000));

    const auto result = runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(name),
                                    FileExistsChoice::Resume);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    QStringList ranges;
    for (const AccessLogEntry& entry : nginx.accessLog(2)) {
        if (entry.method() == QStringLiteral("GET"))
            ranges.append(entry.range);
    }
    EXPECT_EQ(ranges, QStringList {QStringLiteral("bytes=5903-1048575")});
}

TEST_F(DownloadJobPeers, OverwritesAReadOnlyFile)
{
    const QString name = files.make(3000);
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);
    home.writeFile(name, "old content that must go");
    QFile::setPermissions(saveTo(name), QFileDevice::ReadOwner);

    const auto result = runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(name),
                                    FileExistsChoice::Overwrite);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
}

TEST_F(DownloadJobPeers, CountsEveryCompletionInTheStore)
{
    const QString name = files.make(1000);
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);
    store("PromptDone", QStringLiteral("1"));

    ASSERT_TRUE(runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(QStringLiteral("a.bin"))).completed);
    ASSERT_TRUE(runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(QStringLiteral("b.bin"))).completed);
    EXPECT_EQ(context->appSettings.Downloads, 2) << "counted at once";
    // The store is written a second later, or now.
    ASSERT_TRUE(context->completions.flush());
    EXPECT_EQ(stored("Downloads"), QStringLiteral("2"));
    EXPECT_EQ(stored("AllBytes"), QStringLiteral("2000"));
    ASSERT_EQ(home.prompter.shown.size(), 2) << "one message per finished job";
    EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Information);

    store("CloseDownloadWindowWhenDone", QStringLiteral("1"));
    bool unloaded = false;
    DownloadJob* job = runner->start(nginx.url(QLatin1Char('/') + name).toString(), saveTo(QStringLiteral("c.bin")));
    QObject::connect(job, &DownloadJob::unloaded, [&] { unloaded = true; });
    ASSERT_TRUE(runner->wait(job).completed);
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(job->view().visible);
}

// What real servers rarely do, from the scripted fault server.
struct FaultCase {
    const char* name;
    const char* path; // %1 is the file's name
    qint64 size;
    const char* failure; // empty: the download must complete byte-exact
};

class DownloadJobFaults : public DownloadJobPeers, public testing::WithParamInterface<FaultCase> { };

TEST_P(DownloadJobFaults, EndsRightOrFailsClearly)
{
    const FaultCase& c = GetParam();
    const QString name = files.make(c.size);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);

    const QString url = server.url(QString::fromLatin1(c.path).arg(name)).toString();
    const auto result = runner->run(url, saveTo(name), FileExistsChoice::Overwrite, 60000);
    if (*c.failure) {
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(result.failure, QString::fromLatin1(c.failure));
        EXPECT_TRUE(result.job->view().lblStatusIsError);
        EXPECT_EQ(runner->jobs.row(1)->subItem(5), QString::fromLatin1(c.failure));
        EXPECT_FALSE(QFileInfo(saveTo(name)).size() > 0) << "an error body is no part of the file";
    } else {
        ASSERT_TRUE(result.completed) << result.failure.toStdString() << (result.timedOut ? " (timed out)" : "");
        EXPECT_TRUE(sameAsServed(name, name));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobFaults,
    testing::Values(FaultCase {"IgnoredRangesSegmented", "/ignore-range/%1", 6 * kMiB, ""},
                    FaultCase {"IgnoredRangesSmall", "/ignore-range/%1", 100000, ""},
                    FaultCase {"WrongRangeStart", "/bad-range/%1", 3 * kMiB, ""},
                    FaultCase {"EarlyClose", "/close-after-once/300000/%1", 3 * kMiB, ""},
                    FaultCase {"ConnectionReset", "/reset-after/100000/%1", 300000, ""},
                    FaultCase {"SegmentsReset", "/reset-after/700000/%1", 3 * kMiB, ""},
                    FaultCase {"SplitHeaders", "/split-headers/%1", 300000, ""},
                    FaultCase {"Chunked", "/chunked/%1", 250000, ""},
                    FaultCase {"NoLength", "/no-length/%1", 250000, ""},
                    FaultCase {"WholeFileAs206", "/ignore-range/part-206/99999999/%1", 3 * kMiB, ""},
                    FaultCase {"ChunkedCutShortResumesByRange", "/chunked/close-after/100000/%1", 250000, ""},
                    FaultCase {"HeadRefused", "/head-405/%1", 3 * kMiB, ""},
                    FaultCase {"RedirectChain", "/redirect/3/%1", 2000, ""},
                    FaultCase {"RelativeRedirects", "/redirect-relative/2/%1", 2000, ""},
                    FaultCase {"PathRedirects", "/redirect-path/2/%1", 2000, ""},
                    FaultCase {"RedirectLoop", "/redirect-loop/%1", 2000, "Too many redirects (more than 20)."},
                    FaultCase {"NotFound", "/status/404/%1", 2000, "HTTP 404-Object Not Found"},
                    FaultCase {"Unavailable", "/status/503/%1", 2000, "HTTP 503 Service Unavailable"},
                    FaultCase {"TooManyRequests", "/status/429/%1", 2000, "HTTP 429 Too Many Requests"}),
    CaseName());

// One connection ten times slower than the others: the ones that finish take
// over parts of its rest, no byte is asked for twice, and the file is right.
TEST_F(DownloadJobPeers, FinishedConnectionsTakeOverFromASlowOne)
{
    const QString name = files.make(6 * kMiB);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    const auto result = runner->run(server.url(QStringLiteral("/pace/2000000/") + name).toString(), saveTo(name),
                                    FileExistsChoice::Overwrite, 60000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));

    EXPECT_GT(result.job->segmentTable().Retired, 0) << "the finished connections took work over";
    const QStringList segments {QStringLiteral("bytes=0-2097151"), QStringLiteral("bytes=2097152-4194303"),
                                QStringLiteral("bytes=4194304-6291455")};
    ExpectRangesAskedOnce(RangesAsked(server, segments), segments);
    EXPECT_LE(result.job->segmentTable().connections(), 3) << "never more connections than segments";
}

// Requests for the first 3,000,000 bytes get a quarter of the others' rate
// (nginx keys the rate on where the range starts), so that the connections
// of the other segments finish first and take over parts of the first
// segment's range, several times. No byte is asked for twice: the body bytes
// nginx sent add up to the file's size (within 1 %). nginx sends from the
// file with sendfile, as it usually does, which runs a second of the rate
// ahead of what a connection has read.
TEST_F(DownloadJobPeers, TakeOversLeaveTheServerSendingEachByteOnce)
{
    const qint64 size = 12 * kMiB;
    const QString name = files.make(size);
    NginxServer nginx(files.root());
    nginx.addHttpText(
        QStringLiteral("    map $http_range $segment_rate { \"~^bytes=(\\d{1,6}|[12]\\d{6})-\" 256k; default 1m; }\n"));
    nginx.addServerText(QStringLiteral("location /slow/ { alias \"%1/\"; sendfile on; limit_rate $segment_rate; }\n")
                            .arg(files.root()));
    KEVA_REQUIRE_PEER(nginx);
    DownloadJob* job = runner->start(nginx.url(QStringLiteral("/slow/") + name).toString(), saveTo(name));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->phase() == JobPhase::Transferring; }));
    ASSERT_EQ(job->segmentTable().NumSegments, 4);
    int takeOvers = 0;
    auto starts = job->segmentTable().SegStart;
    const QObject watch; // stops the counting before its counts go
    QObject::connect(job, &DownloadJob::displayChanged, &watch, [&] {
        const auto& now = job->segmentTable().SegStart;
        for (std::size_t i = 0; i < now.size(); ++i)
            takeOvers += now[i] != starts[i] ? 1 : 0;
        starts = now;
    });
    const auto result = runner->wait(job, 60000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_GE(takeOvers, 2);

    const QString whole = QStringLiteral("bytes=0-%1").arg(size - 1);
    ExpectRangesAskedOnce(RangesAsked(nginx, {whole}), {whole});
    qint64 sent = 0;
    for (const AccessLogEntry& entry : nginx.accessLog()) {
        if (entry.method() == QStringLiteral("GET"))
            sent += entry.bytes;
    }
    EXPECT_GE(sent, size);
    EXPECT_LE(sent, size + size / 100) << sent - size << " bytes sent more than once";
}

// The speed limit holds for all connections together: the file grows at
// about the limit (loose bounds: this checks the limit, it times nothing).
struct LimitCase {
    const char* name;
    bool ftp;
};

class DownloadJobSpeedLimit : public DownloadJobPeers, public testing::WithParamInterface<LimitCase> { };

TEST_P(DownloadJobSpeedLimit, HoldsForAllConnectionsTogether)
{
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    PyftpdlibServer pyftpdlib(files.root());
    PeerServer& server = GetParam().ftp ? static_cast<PeerServer&>(pyftpdlib) : nginx;
    KEVA_REQUIRE_PEER(server);
    context->appSettings.SpeedLimit = 600; // KB a second
    context->appSettings.UsePASV = true;
    DownloadJob* job = runner->start(server.url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->TotalReceived() > 200000; }, 20000));
    const qint64 first = job->TotalReceived();
    QElapsedTimer clock;
    clock.start();
    JobRunner::waitFor([] { return false; }, 2000);
    const double rate = static_cast<double>(job->TotalReceived() - first) * 1000.0
        / static_cast<double>(clock.elapsed());
    // Loose bounds: a busy machine may fetch more slowly, never faster.
    EXPECT_GT(rate, 0.3 * 600 * 1024);
    EXPECT_LT(rate, 1.4 * 600 * 1024);
    const auto result = runner->wait(job, 60000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
}

INSTANTIATE_TEST_SUITE_P(Schemes, DownloadJobSpeedLimit,
                         testing::Values(LimitCase {"HttpSegmented", false}, LimitCase {"Ftp", true}), CaseName());

// Under one limit a job that starts beside a running one gets as much as it
// does: both have two connections, and every connection an equal share.
TEST_F(DownloadJobPeers, TheSpeedLimitIsSharedEvenlyBetweenJobs)
{
    const QString older = files.make(4 * kMiB);
    const QString newer = files.make(4 * kMiB + 1);
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);
    context->appSettings.SpeedLimit = 1000; // KB a second
    DownloadJob* first = runner->start(nginx.url(QLatin1Char('/') + older).toString(), saveTo(older));
    ASSERT_TRUE(JobRunner::waitFor([&] { return first->TotalReceived() > 500000; }, 20000));
    DownloadJob* second = runner->start(nginx.url(QLatin1Char('/') + newer).toString(), saveTo(newer));
    ASSERT_TRUE(JobRunner::waitFor([&] { return second->receivedBytes() > 0; }, 20000));
    const qint64 firstBefore = first->TotalReceived();
    const qint64 secondBefore = second->TotalReceived();
    JobRunner::waitFor([] { return false; }, 5000);
    const qint64 firstGot = first->TotalReceived() - firstBefore;
    const qint64 secondGot = second->TotalReceived() - secondBefore;
    EXPECT_EQ(first->segmentTable().connections(), 2);
    EXPECT_EQ(second->segmentTable().connections(), 2);
    EXPECT_LT(first->receivedBytes(), 4 * kMiB) << "both still wanted more";
    EXPECT_NEAR(static_cast<double>(firstGot), static_cast<double>(secondGot),
                0.2 * static_cast<double>(std::max(firstGot, secondGot)))
        << "older job " << firstGot << " bytes, newer job " << secondGot << " bytes";

    const auto firstResult = runner->wait(first, 60000);
    const auto secondResult = runner->wait(second, 60000);
    ASSERT_TRUE(firstResult.completed) << firstResult.failure.toStdString();
    ASSERT_TRUE(secondResult.completed) << secondResult.failure.toStdString();
    EXPECT_TRUE(sameAsServed(older, older));
    EXPECT_TRUE(sameAsServed(newer, newer));
}

TEST_F(DownloadJobPeers, ABodyThatLooksLikeHeadersIsData)
{
    const QByteArray body =
        QByteArray("Content-Type: text/html\r\nLocation: http://elsewhere/\r\n\r\n").repeated(40000);
    files.write(QStringLiteral("headerlike.txt"), body);
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);
    const auto result = runner->run(nginx.url(QStringLiteral("/headerlike.txt")).toString(),
                                    saveTo(QStringLiteral("h.txt")));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_EQ(home.readFile(QStringLiteral("h.txt")), body);
}

TEST_F(DownloadJobPeers, AnEmptyFileCompletes)
{
    files.write(QStringLiteral("empty.bin"), QByteArray());
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);
    const auto result = runner->run(nginx.url(QStringLiteral("/empty.bin")).toString(),
                                    saveTo(QStringLiteral("empty.bin")));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(QFileInfo::exists(saveTo(QStringLiteral("empty.bin"))));
    EXPECT_EQ(QFileInfo(saveTo(QStringLiteral("empty.bin"))).size(), 0);
}

// A stall: the watchdog, driven through its tick, pauses and resumes the
// job, which then fetches the rest.
TEST_F(DownloadJobPeers, WatchdogResumesAStalledTransfer)
{
    const QString name = files.make(150000);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    DownloadJob* job = runner->start(server.url(QStringLiteral("/stall/100000/forever/") + name).toString(),
                                     saveTo(name));
    JobRunner::waitFor([&] { return job->receivedBytes() >= 100000; }, 20000);
    ASSERT_EQ(job->receivedBytes(), 100000);
    ASSERT_TRUE(job->watchdogRunning());

    // RetryTime 300 and TimeResume 300: ten quiet 30-second ticks.
    tickWatchdogUntilItRestarts(*job);
    EXPECT_EQ(job->reconnectAttempts(), 1);
    EXPECT_EQ(job->watchdogIntervalMs(), 30000);
    const auto result = runner->wait(job, 20000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
}

TEST_F(DownloadJobPeers, PauseAndResumeMoveSegmentsBackByTheRollback)
{
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 1024 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    DownloadJob* job = runner->start(nginx.url(QStringLiteral("/slow/") + name).toString(), saveTo(name));
    JobRunner::waitFor([&] { return job->TotalReceived() >= 200000; }, 20000);
    ASSERT_EQ(job->segmentTable().NumSegments, 2);

    job->Pause_Resume();
    EXPECT_TRUE(job->isPaused());
    EXPECT_FALSE(job->isTransferring());
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Paused/Stopped"));
    const auto before = job->segmentTable().SegPos;
    job->Pause_Resume();
    EXPECT_FALSE(job->isPaused());
    for (int i = 0; i < 2; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const qint64 advanced = before[at] - 1 - job->segmentTable().SegStart[at];
        EXPECT_EQ(job->segmentTable().SegPos[at], advanced > 4096 ? before[at] - 4096 : before[at]) << "segment " << i;
    }
    const auto result = runner->wait(job, 30000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
}

TEST_F(DownloadJobPeers, StoppingASegmentedJobWithoutResumeDataAsksFirst)
{
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 256 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    ASSERT_TRUE(QDir().mkpath(ResumeFile::pathFor(saveTo(name)))) << "resume data cannot be written here";
    DownloadJob* job = runner->start(nginx.url(QStringLiteral("/slow/") + name).toString(), saveTo(name));
    // Stop asks once bytes have arrived: with none, nothing is lost.
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->isTransferring() && job->receivedBytes() > 0; }, 20000));

    home.prompter.script({Prompter::Answer::No});
    job->StopMe();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text,
              QStringLiteral("you will not be able to resume this file later(Segmented mode only), Stop?"));
    EXPECT_TRUE(job->isTransferring()) << "No leaves the job running";

    home.prompter.script({Prompter::Answer::Yes});
    job->StopMe();
    EXPECT_FALSE(job->isTransferring());
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Paused/Stopped"));
    EXPECT_EQ(job->view().cmdStop, QStringLiteral("&Close"));
    EXPECT_FALSE(job->completed());
}

TEST_F(DownloadJobPeers, ASilentServerTimesOut)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    DownloadJob* job = runner->start(QStringLiteral("http://127.0.0.1:%1/f.bin").arg(silent.serverPort()),
                                     saveTo(QStringLiteral("t.bin")));
    for (int second = 60; second > 1; --second) {
        job->tmrTimeOut_Timer();
        EXPECT_EQ(job->view().lblTimer, QStringLiteral("Timeout: %1 sec.").arg(second - 1));
    }
    EXPECT_FALSE(job->failed());
    job->tmrTimeOut_Timer();
    EXPECT_TRUE(job->failed());
    EXPECT_EQ(job->view().lblStatus, QStringLiteral("Connection has timed out."));
    EXPECT_TRUE(job->view().lblStatusIsError);
    EXPECT_EQ(runner->jobs.row(1)->subItem(2), QStringLiteral("Connection has timed out."));

    // No retry of its own, but the user may resume (which probes again) or stop.
    EXPECT_TRUE(job->view().cmdPauseEnabled);
    EXPECT_TRUE(job->view().cmdStopEnabled);
    EXPECT_EQ(job->view().cmdPause, QStringLiteral("&Resume"));
    int connections = 0;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = silent.nextPendingConnection()) {
            socket->setParent(&silent);
            ++connections;
        }
    });
    ASSERT_TRUE(JobRunner::waitFor([&] { return connections == 1; }, 5000));
    job->Pause_Resume();
    EXPECT_FALSE(job->failed());
    EXPECT_EQ(job->view().cmdPause, QStringLiteral("&Pause"));
    EXPECT_TRUE(JobRunner::waitFor([&] { return connections == 2; }, 5000)) << "the probe connects again";
    job->StopMe();
    EXPECT_EQ(job->view().cmdStop, QStringLiteral("&Close"));
    job->StopMe();
    EXPECT_FALSE(job->view().visible);
}

// Small files fetched one after another by one process go over the
// connections kept from the files before: nginx logs each request with its
// connection's number.
TEST_F(DownloadJobPeers, SmallFilesOneAfterAnotherShareConnections)
{
    constexpr int kFiles = 6;
    QStringList names;
    for (int i = 0; i < kFiles; ++i)
        names << files.make(3000 + i);
    NginxServer nginx(files.root());
    const QString connectionLog = saveTo(QStringLiteral("connections.log"));
    nginx.addHttpText(QStringLiteral("    log_format connection '$connection';\n"
                                     "    access_log \"%1\" connection;\n")
                          .arg(connectionLog));
    KEVA_REQUIRE_PEER(nginx);

    for (const QString& name : names) {
        const auto result = runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(name));
        ASSERT_TRUE(result.completed) << result.failure.toStdString();
        EXPECT_TRUE(sameAsServed(name, name));
    }
    QStringList logged;
    // nginx logs a request once its last byte is sent, a moment after the download may have ended.
    ASSERT_TRUE(JobRunner::waitFor([&] {
        logged = QString::fromLatin1(home.readFile(QStringLiteral("connections.log")))
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return logged.size() >= kFiles;
    }));
    EXPECT_EQ(logged.size(), kFiles) << "one request a file";
    EXPECT_EQ(QSet<QString>(logged.begin(), logged.end()).size(), 1) << logged.join(QLatin1Char(' ')).toStdString();
}

TEST_F(DownloadJobPeers, ACancelledJobTouchesNothing)
{
    home.writeFile(QStringLiteral("keep.bin"), "precious");
    // Keeping the existing file of a new download starts nothing and lists nothing.
    EXPECT_EQ(runner->start(QStringLiteral("http://127.0.0.1:9/keep.bin"), saveTo(QStringLiteral("keep.bin")),
                            FileExistsChoice::Keep),
              nullptr);
    EXPECT_EQ(runner->jobs.rowCount(), 0);
    EXPECT_EQ(home.readFile(QStringLiteral("keep.bin")), QByteArray("precious"));
}

} // namespace
