#include "engine/DownloadJob.h"

#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "JobRunner.h"
#include "ScriptedHttp.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QFile>

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kBody = [] {
    QByteArray body(30000, '\0');
    for (int i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('a' + i % 26);
    return body;
}();

// A job against a scripted server: what it asks, and what it shows, at each
// step the test lets the server take.
class DownloadJobScripted : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        // 30000 bytes in three segments.
        AppSettings& settings = context->appSettings;
        settings.Segment = 1;
        settings.SegmentSize = {0, 1, 1, 1, 1e9, 2e9, 2e9, 2e9, 2e9, 2e9};
        settings.Rollback = 0;
        server.holdOpen = true;
        job = std::make_unique<DownloadJob>(*context, jobs);
        job->setConnections(server.factory());
    }

    void start(const QString& url = QStringLiteral("http://host.example/file.bin"),
               const QString& saveAs = QStringLiteral("file.bin"))
    {
        job->setTarget(url, home.path(saveAs), SplitUrl(url, {}));
        job->setListRow(jobs.addRow({QStringLiteral("N/A"), QStringLiteral("0%")}));
        job->StartDownload();
    }

    // The request whose range starts at `first`, or -1.
    int requestFrom(qint64 first) const
    {
        for (int i = 0; i < server.requests.size(); ++i) {
            if (server.requests[i].header("Range").startsWith("bytes=" + QByteArray::number(first) + "-"))
                return i;
        }
        return -1;
    }

    // The server answers the first request (the probe's GET) with its
    // header at once and every other not at all: each body comes as the
    // test sends it.
    void answerTheProbeOnly()
    {
        server.respond = [this](const ScriptedHttp::Request& request) {
            if (server.requests.size() > 1)
                return QByteArray();
            const QByteArray whole = ScriptedHttp::rangedReply(request, kBody);
            return whole.left(whole.indexOf("\r\n\r\n") + 4);
        };
    }

    // Answers the ranged request from `first` with its header (unless it
    // was the probe's, whose header is out) and `count` body bytes.
    void send(qint64 first, qint64 count)
    {
        const int index = requestFrom(first);
        ASSERT_GE(index, 0) << "no request from " << first;
        const QByteArray whole = ScriptedHttp::rangedReply(server.requests[index], kBody);
        const qsizetype bodyStart = whole.indexOf("\r\n\r\n") + 4;
        server.answer(index, index == 0 ? whole.mid(bodyStart, count) : whole.left(bodyStart + count));
    }

    TestHome home;
    KevaContext* context = nullptr;
    JobList jobs;
    ScriptedHttp server;
    std::unique_ptr<DownloadJob> job;
};

TEST_F(DownloadJobScripted, PhasesAndButtonsFollowTheTransfer)
{
    answerTheProbeOnly();
    start();
    EXPECT_EQ(job->phase(), JobPhase::Probing);
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->phase() == JobPhase::Transferring; }, 5000));
    ASSERT_EQ(job->segmentTable().NumSegments, 3);
    EXPECT_EQ(server.requests.size(), 3) << "the probe's GET, which goes on as segment 0, and one per other segment";
    EXPECT_EQ(server.requests[0].line(), QByteArray("GET /file.bin HTTP/1.1"));
    send(0, 1000);
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->receivedBytes() == 1000; }, 5000));

    struct Step {
        const char* name;
        std::function<void()> act;
        JobPhase phase;
        const char* pause;
        bool pauseEnabled;
        const char* stop;
        bool stopEnabled;
    };
    const std::vector<Step> steps {
        {"pause", [&] { job->Pause_Resume(); }, JobPhase::Paused, "&Resume", true, "&Stop", false},
        {"resume", [&] { job->Pause_Resume(); }, JobPhase::Transferring, "&Pause", true, "&Stop", true},
        {"stop", [&] { job->StopMe(); }, JobPhase::Stopped, "&Resume", false, "&Close", true},
        {"pause after stop", [&] { job->Pause_Resume(); }, JobPhase::Stopped, "&Resume", false, "&Close", true},
        {"close", [&] { job->StopMe(); }, JobPhase::Closed, "&Pause", false, "&Close", true},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(job->phase(), step.phase) << step.name;
        EXPECT_EQ(job->view().cmdPause, QString::fromLatin1(step.pause)) << step.name;
        EXPECT_EQ(job->view().cmdPauseEnabled, step.pauseEnabled) << step.name;
        EXPECT_EQ(job->view().cmdStop, QString::fromLatin1(step.stop)) << step.name;
        EXPECT_EQ(job->view().cmdStopEnabled, step.stopEnabled) << step.name;
    }
    EXPECT_FALSE(job->view().visible);
    EXPECT_TRUE(QFile::exists(home.path(QStringLiteral("file.bin.keva-resume"))))
        << "a stopped segmented download keeps its resume data";
}

TEST_F(DownloadJobScripted, UpdateShowsTheWholeAndEachSegment)
{
    answerTheProbeOnly();
    start();
    ASSERT_TRUE(JobRunner::waitFor([&] { return server.requests.size() == 3; }, 5000));
    send(0, 5000);
    send(10000, 10000);
    EXPECT_EQ(job->view().ProgressBar1, 50);
    EXPECT_EQ(job->view().lblPer, QStringLiteral("50%"));
    EXPECT_EQ(job->view().caption, QStringLiteral("file.bin [50%]"));
    EXPECT_EQ(job->view().PVProgressBar[0], 50) << "a segment's bar shows its own share";
    EXPECT_EQ(job->view().PVProgressBar[1], 100);
    EXPECT_EQ(job->view().PVProgressBar[2], 0);
    EXPECT_EQ(jobs.row(1)->subItem(2), QStringLiteral("50%"));

    send(20000, 10000);
    // Segment 0's connection sends the rest of its range.
    server.answer(requestFrom(0), kBody.mid(5000, 5000));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->completed(); }, 5000));
    QFile saved(home.path(QStringLiteral("file.bin")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), kBody);
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("file.bin.keva-resume"))));
}

// A file one connection writes tells by its length where it stands: its
// resume data waits a second, and a file done by then never has any.
TEST_F(DownloadJobScripted, AFileInOnePieceDoneWithinASecondWritesNoResumeData)
{
    context->appSettings.Segment = 0;
    answerTheProbeOnly();
    start();
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->phase() == JobPhase::Transferring; }, 5000));
    ASSERT_EQ(job->segmentTable().connections(), 1);
    EXPECT_EQ(server.requests.size(), 1) << "the probe's reply brings the file";
    const qsizetype half = kBody.size() / 2;
    server.answer(0, kBody.left(half));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->receivedBytes() > 0; }, 5000));
    const QString resume = home.path(QStringLiteral("file.bin.keva-resume"));
    EXPECT_FALSE(QFile::exists(resume)) << "half-way, within the first second";
    server.answer(0, kBody.mid(half));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->completed(); }, 5000));
    const auto sha256 = [](const QByteArray& bytes) {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    };
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("file.bin"))), sha256(kBody));
    EXPECT_FALSE(QFile::exists(resume));
}

TEST_F(DownloadJobScripted, WatchdogCountsFromTheThirtySecondInterval)
{
    context->appSettings.StopResume = true;
    answerTheProbeOnly();
    start();
    ASSERT_TRUE(JobRunner::waitFor([&] { return server.requests.size() == 3; }, 5000));
    ASSERT_TRUE(job->watchdogRunning());
    job->tmrReconnect_Timer(); // notes where the transfer stands
    job->tmrReconnect_Timer(); // nothing new: the 100 ms interval rounds to no stall
    EXPECT_EQ(job->stalledSeconds(), 0);
    EXPECT_EQ(job->watchdogIntervalMs(), 30000);
    job->tmrReconnect_Timer();
    job->tmrReconnect_Timer();
    EXPECT_EQ(job->stalledSeconds(), 60);
    EXPECT_EQ(job->reconnectAttempts(), 0);
    send(0, 10);
    job->tmrReconnect_Timer();
    EXPECT_EQ(job->stalledSeconds(), 0) << "progress resets the count";
}

struct FirstReplyCase {
    const char* name;
    std::function<QByteArray(const ScriptedHttp::Request&)> reply;
};

class DownloadJobFirstReply : public DownloadJobScripted, public testing::WithParamInterface<FirstReplyCase> { };

// A small file comes whole in the reply to the first GET, which tells what
// a HEAD would: one request in all, and no HEAD.
TEST_P(DownloadJobFirstReply, BringsTheWholeSmallFile)
{
    context->appSettings.Segment = 0; // one connection: a small file is not split
    server.holdOpen = false;
    server.respond = GetParam().reply;
    start();
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->completed() || job->failed(); }, 5000));
    EXPECT_EQ(job->view().lblStatus, QStringLiteral("Transfer Completed..."));
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0].line(), QByteArray("GET /file.bin HTTP/1.1"));
    EXPECT_EQ(server.requests[0].header("Range"), QByteArray("bytes=0-262143"));
    EXPECT_EQ(QCryptographicHash::hash(home.readFile(QStringLiteral("file.bin")), QCryptographicHash::Sha256),
              QCryptographicHash::hash(kBody, QCryptographicHash::Sha256));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DownloadJobFirstReply,
    testing::Values(FirstReplyCase {"PartialContent",
                                    [](const ScriptedHttp::Request& request) {
                                        return ScriptedHttp::rangedReply(request, kBody);
                                    }},
                    FirstReplyCase {"WholeFileWithoutRanges",
                                    [](const ScriptedHttp::Request&) {
                                        return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(kBody.size())
                                            + "\r\n\r\n" + kBody;
                                    }},
                    FirstReplyCase {"WholeFileOfUnknownLength",
                                    [](const ScriptedHttp::Request&) { return "HTTP/1.1 200 OK\r\n\r\n" + kBody; }}),
    CaseName());

// A file that can not be opened ends the job with the reason, and the
// first reply's connection, whose call it happens in, outlives it.
TEST_F(DownloadJobScripted, AFileThatCanNotBeOpenedFailsTheJobWithTheReason)
{
    server.holdOpen = false;
    server.respond = [](const ScriptedHttp::Request& request) { return ScriptedHttp::rangedReply(request, kBody); };
    start(QStringLiteral("http://host.example/file.bin"), QStringLiteral("no-such-folder/file.bin"));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->completed() || job->failed(); }, 5000));
    EXPECT_TRUE(job->failed());
    EXPECT_TRUE(job->view().lblStatus.startsWith(
        QStringLiteral("Could not open %1 for writing").arg(home.path(QStringLiteral("no-such-folder/file.bin")))))
        << job->view().lblStatus.toStdString();
    EXPECT_EQ(server.requests.size(), 1) << "no connection after the failure";
}

struct RedirectCase {
    const char* name;
    QByteArray location;
    const char* status;
};

class DownloadJobRedirect : public DownloadJobScripted, public testing::WithParamInterface<RedirectCase> { };

TEST_P(DownloadJobRedirect, FollowsOnlyWhatHttpCanFetch)
{
    const RedirectCase& c = GetParam();
    server.holdOpen = false;
    server.respond = [&](const ScriptedHttp::Request& request) {
        if (request.line().contains("/file.bin"))
            return "HTTP/1.1 301 Moved\r\nLocation: " + c.location + "\r\nContent-Length: 0\r\n\r\n";
        return ScriptedHttp::rangedReply(request, kBody);
    };
    start();
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->completed() || job->failed(); }, 5000));
    EXPECT_EQ(job->view().lblStatus, QString::fromLatin1(c.status));
    EXPECT_EQ(job->completed(), QByteArray(c.status) == "Transfer Completed...");
    EXPECT_EQ(job->view().txtURL, job->url());
}

INSTANTIATE_TEST_SUITE_P(
    Locations, DownloadJobRedirect,
    testing::Values(RedirectCase {"Relative", "moved.bin", "Transfer Completed..."},
                    RedirectCase {"Absolute", "http://other.example/moved.bin", "Transfer Completed..."},
                    RedirectCase {"ToFtp", "ftp://host.example/moved.bin",
                                  "The server redirects to ftp://host.example/moved.bin, which can not be fetched "
                                  "over HTTP."}),
    CaseName());

struct UnicodeHostCase {
    const char* name;
    const char* url;
    const char* host;       // asked of DNS
    const char* hostHeader; // in every request
};

class DownloadJobUnicodeHost : public DownloadJobScripted, public testing::WithParamInterface<UnicodeHostCase> { };

// Every connection and request names the host in ASCII; the job list and
// the window keep the address as it was given.
TEST_P(DownloadJobUnicodeHost, AsksInAsciiAndShowsTheAddressAsGiven)
{
    const UnicodeHostCase& c = GetParam();
    server.holdOpen = false;
    server.respond = [](const ScriptedHttp::Request& request) { return ScriptedHttp::rangedReply(request, kBody); };
    const QString url = QString::fromUtf8(c.url);
    start(url);
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->completed() || job->failed(); }, 5000));
    EXPECT_EQ(job->view().lblStatus, QStringLiteral("Transfer Completed..."));
    QFile saved(home.path(QStringLiteral("file.bin")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Sha256),
              QCryptographicHash::hash(kBody, QCryptographicHash::Sha256));
    ASSERT_GE(server.requests.size(), 2);
    for (const ScriptedHttp::Request& request : server.requests) {
        EXPECT_EQ(request.host, QString::fromLatin1(c.host));
        EXPECT_EQ(request.header("Host"), QByteArray(c.hostHeader));
    }
    EXPECT_EQ(job->url(), url);
    EXPECT_EQ(job->view().txtURL, url);
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadJobUnicodeHost,
                         testing::Values(UnicodeHostCase {"Latin", "http://bücher.example/file.bin",
                                                          "xn--bcher-kva.example", "xn--bcher-kva.example"},
                                         UnicodeHostCase {"JapaneseWithPort", "http://例え.jp:8080/file.bin",
                                                          "xn--r8jz45g.jp", "xn--r8jz45g.jp:8080"}),
                         CaseName());

struct ChecksumCase {
    const char* name;
    Checksum checksum;
    QString status; // of the window and the row at the end
    bool completed;
};

class DownloadJobChecksum : public DownloadJobScripted, public testing::WithParamInterface<ChecksumCase> { };

// Once the last byte is in, the file is hashed: a match completes the job,
// a mismatch fails it in the window and the row and keeps the whole file
// without resume data.
TEST_P(DownloadJobChecksum, DecidesHowTheJobEnds)
{
    const ChecksumCase& c = GetParam();
    server.respond = [](const ScriptedHttp::Request& request) { return ScriptedHttp::rangedReply(request, kBody); };
    RequestOptions options;
    options.checksum = c.checksum;
    job->setRequestOptions(options);
    QStringList shown;
    QObject::connect(job.get(), &DownloadJob::statusShown, [&](const QString& text) { shown << text; });
    start();
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->completed() || job->failed(); }, 10000));
    EXPECT_TRUE(shown.contains(QStringLiteral("Verifying checksum\u2026")));
    EXPECT_EQ(job->completed(), c.completed);
    EXPECT_EQ(job->view().lblStatus, c.status);
    EXPECT_EQ(job->view().lblStatusIsError, !c.completed);
    EXPECT_EQ(jobs.row(1)->subItem(JobColumn::Status), c.status);
    QFile file(home.path(QStringLiteral("file.bin")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256),
              QCryptographicHash::hash(kBody, QCryptographicHash::Sha256));
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("file.bin.keva-resume"))));
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("file.bin.keva-session"))));
}

const QByteArray kBodySha1 = QCryptographicHash::hash(kBody, QCryptographicHash::Sha1).toHex();
const QByteArray kOtherSha1 = QByteArray(kBodySha1).replace(0, 1, kBodySha1.startsWith('0') ? "1" : "0");

INSTANTIATE_TEST_SUITE_P(Cases, DownloadJobChecksum,
                         testing::Values(ChecksumCase {"Matches",
                                                       {Checksum::Algorithm::Sha1, kBodySha1},
                                                       QStringLiteral("Checksum verified (SHA-1)"),
                                                       true},
                                         ChecksumCase {
                                             "DiffersInADigit",
                                             {Checksum::Algorithm::Sha1, kOtherSha1},
                                             QStringLiteral("Checksum mismatch: expected %1, got %2")
                                                 .arg(QString::fromLatin1(kOtherSha1), QString::fromLatin1(kBodySha1)),
                                             false}),
                         CaseName());

} // namespace
