// How downloads end when things go wrong: servers that always end short,
// error replies after a good probe, resumes that would mix two files, and
// what the window shows after errors and stops.
#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "engine/ResumeFile.h"
#include "settings/KevaContext.h"

#include "support/CaseName.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/PyftpdlibServer.h"
#include "support/VsftpdServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

using DownloadJobEndings = EngineTest;

qsizetype getsIn(const FaultServer& server)
{
    qsizetype gets = 0;
    for (const AccessLogEntry& entry : server.accessLog())
        gets += entry.method() == QStringLiteral("GET") ? 1 : 0;
    return gets;
}

struct ShortCase {
    const char* name;
    const char* path; // %1 is the file's name
    qint64 size;
    const char* failure; // the start of the failure text
};

class DownloadJobShortReplies : public DownloadJobEndings, public testing::WithParamInterface<ShortCase> { };

// curl, wget and aria2c stop with an error on such servers; so does the job,
// once the retries of the settings are used up, instead of asking forever.
TEST_P(DownloadJobShortReplies, GiveUpAfterTheRetries)
{
    const ShortCase& c = GetParam();
    const QString name = files.make(c.size);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    context->appSettings.Retry = true;
    context->appSettings.Retries = 2;
    context->appSettings.RetryTime = 1;

    const auto result = runner->run(server.url(QString::fromLatin1(c.path).arg(name)).toString(), saveTo(name),
                                    FileExistsChoice::Overwrite, 30000);
    ASSERT_FALSE(result.timedOut) << "the job must end by itself";
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.failure.startsWith(QString::fromLatin1(c.failure))) << result.failure.toStdString();
    EXPECT_TRUE(result.job->view().lblStatusIsError);
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), result.failure);
    EXPECT_NE(runner->jobs.row(1)->subItem(5), QStringLiteral("Download Success"));
    EXPECT_LE(getsIn(server), 8) << "a few tries, not thousands";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobShortReplies,
    testing::Values(
        ShortCase {"RangesIgnoredAndCutShort", "/ignore-range/close-after/500000/%1", 1000000,
                   "The server ended its reply"},
        ShortCase {"LengthBeyondTheBody", "/ignore-range/short-body/1000/%1", 300000, "The server ended its reply"},
        ShortCase {"ChunkedCutBeforeTheLastChunk", "/ignore-range/chunked/close-after/100000/%1", 250000,
                   "The server ended its reply"},
        ShortCase {"WholeFileAnsweredWithAPart", "/ignore-range/part-206/1000/%1", 3 * kMiB,
                   "The server answers a request for the whole file with a part of it"},
        ShortCase {"SegmentsAnswered416", "/get-status/416/%1", 3 * kMiB, "HTTP 416 Requested Range Not Satisfiable"},
        ShortCase {"GetAnswered503", "/get-status/503/%1", 300000, "HTTP 503 Service Unavailable"}),
    CaseName());

// With first-run settings a server that always ends short is tried for a
// long time; each wait says why, which try it is and how long it lasts. The
// waits are ended by the retry timer's tick, not waited out.
TEST_F(DownloadJobEndings, EachRetryShowsWhyAndHowLong)
{
    ASSERT_EQ(context->appSettings.Retries, 30) << "first-run settings";
    ASSERT_EQ(context->appSettings.RetryTime, 300);
    const QString name = files.make(1000000);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    QStringList shown;
    QStringList told;
    DownloadJob* job = runner->start(server.url(QStringLiteral("/ignore-range/close-after/500000/") + name).toString(),
                                     saveTo(name));
    QObject::connect(job, &DownloadJob::statusShown, [&](const QString& text, bool) { shown.append(text); });
    QObject::connect(job, &DownloadJob::retryScheduled, [&](const QString& text) { told.append(text); });
    for (int attempt = 1; attempt <= 6; ++attempt) {
        const QString expected = QStringLiteral("Retrying in %1 s (attempt %2 of 30): the server closed the connection "
                                                "after 500,000 of 1,000,000 bytes")
                                     .arg(1 << (attempt - 1))
                                     .arg(attempt);
        ASSERT_TRUE(JobRunner::waitFor([&] { return told.contains(expected); }, 30000))
            << told.join(QStringLiteral(" | ")).toStdString();
        EXPECT_TRUE(shown.contains(expected));
        EXPECT_FALSE(job->failed());
        job->tmrRetry_Timer();
    }
    job->unload();
}

TEST_F(DownloadJobEndings, RetryOffGivesUpAtTheFirstShortReply)
{
    const QString name = files.make(400000);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    context->appSettings.Retry = false;

    const auto result = runner->run(server.url(QStringLiteral("/ignore-range/close-after/1000/") + name).toString(),
                                    saveTo(name), FileExistsChoice::Overwrite, 30000);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.failure.startsWith(QStringLiteral("The server ended its reply")))
        << result.failure.toStdString();
    EXPECT_LE(getsIn(server), 3);
}

// A local file longer than the remote one is no part of it: resuming it
// would report success for the old bytes. It is left as it is.
struct LongerCase {
    const char* name;
    bool ftp;
};

class DownloadJobLongerLocalFile : public DownloadJobEndings, public testing::WithParamInterface<LongerCase> { };

TEST_P(DownloadJobLongerLocalFile, IsLeftAloneAndTheJobFails)
{
    const QString name = files.make(200000);
    QFile source(files.path(name));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray longer = source.readAll() + QByteArray(1000, 'x');
    home.writeFile(name, longer);
    NginxServer nginx(files.root());
    PyftpdlibServer pyftpdlib(files.root());
    PeerServer& server = GetParam().ftp ? static_cast<PeerServer&>(pyftpdlib) : nginx;
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;

    // A second try finds the file as the first left it.
    for (int run = 1; run <= 2; ++run) {
        const auto result = runner->run(server.url(QLatin1Char('/') + name).toString(), saveTo(name),
                                        FileExistsChoice::Resume);
        EXPECT_FALSE(result.completed) << run;
        EXPECT_TRUE(result.failure.contains(QStringLiteral("left as it is"))) << result.failure.toStdString();
        EXPECT_TRUE(result.job->view().lblStatusIsError);
        EXPECT_EQ(home.readFile(name), longer) << "not a byte changed, run " << run;
        EXPECT_FALSE(QFile::exists(ResumeFile::pathFor(saveTo(name)))) << "a refused resume keeps nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(Schemes, DownloadJobLongerLocalFile,
                         testing::Values(LongerCase {"Http", false}, LongerCase {"Ftp", true}), CaseName());

// A job that fails before its first byte leaves nothing behind: no resume
// data, and no empty file where there was none (a later run would find it
// and refuse to overwrite it).
struct NothingCase {
    const char* name;
    const char* path; // %1 is the file's name
    bool targetIsAFolder;
    FileExistsChoice choice;
    const char* failure;
};

class DownloadJobNothingArrived : public DownloadJobEndings, public testing::WithParamInterface<NothingCase> { };

TEST_P(DownloadJobNothingArrived, LeavesNothingBehind)
{
    const NothingCase& c = GetParam();
    const QString name = files.make(300000);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    if (c.targetIsAFolder) {
        ASSERT_TRUE(QDir().mkpath(saveTo(name)));
    }

    const auto result = runner->run(server.url(QString::fromLatin1(c.path).arg(name)).toString(), saveTo(name),
                                    c.choice);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.failure.contains(QString::fromLatin1(c.failure))) << result.failure.toStdString();
    EXPECT_FALSE(QFileInfo::exists(ResumeFile::pathFor(saveTo(name))));
    EXPECT_EQ(QFileInfo(saveTo(name)).isDir(), c.targetIsAFolder);
    EXPECT_EQ(QFileInfo::exists(saveTo(name)), c.targetIsAFolder);
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadJobNothingArrived,
                         testing::Values(NothingCase {"GetAnswered503", "/get-status/503/%1", false,
                                                      FileExistsChoice::Overwrite, "HTTP 503 Service Unavailable"},
                                         NothingCase {"TargetIsAFolderResumed", "/%1", true, FileExistsChoice::Resume,
                                                      "is a folder"},
                                         NothingCase {"TargetIsAFolderOverwritten", "/%1", true,
                                                      FileExistsChoice::Overwrite, "is a folder"}),
                         CaseName());

// A small disk of its own (tmpfs), unmounted at the end. Mounting needs
// root: elsewhere the test is skipped, except on CI.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder)
        : folder_(folder)
    {
        QDir().mkpath(folder);
        mounted_ = resize(QStringLiteral("10m"), false);
    }
    ~SmallDisk()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("--lazy"), folder_}); // files may be open
    }
    bool mounted() const { return mounted_; }
    bool resize(const QString& size, bool remount)
    {
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                  (remount ? QStringLiteral("remount,size=") : QStringLiteral("size=")) + size,
                                  QStringLiteral("tmpfs"), folder_})
            == 0;
    }

private:
    QString folder_;
    bool mounted_ = false;
};

struct FullDiskCase {
    const char* name;
    bool ftp;
    bool segmented;
};

class DownloadJobFullDisk : public DownloadJobEndings, public testing::WithParamInterface<FullDiskCase> { };

// A write that fails ends the job with the system's reason, keeping what a
// resume needs: once there is room, it goes on to a byte-exact file.
TEST_P(DownloadJobFullDisk, EndsTheJobAndResumesOnceThereIsRoom)
{
    const FullDiskCase& c = GetParam();
    SmallDisk disk(home.path(QStringLiteral("disk")));
    if (!disk.mounted()) {
        if (qEnvironmentVariable("CI") == QStringLiteral("true"))
            FAIL() << "a tmpfs could not be mounted (the tests run as root on CI)";
        GTEST_SKIP() << "mounting a tmpfs needs root";
    }
    const QString name = files.make(24 * kMiB);
    NginxServer nginx(files.root());
    VsftpdServer vsftpd(files.root());
    PeerServer& server = c.ftp ? static_cast<PeerServer&>(vsftpd) : nginx;
    KEVA_REQUIRE_PEER(server);
    context->appSettings.Segment = c.segmented ? 1 : 0;
    const QString saved = home.path(QStringLiteral("disk/") + name);
    const QString url = server.url(QLatin1Char('/') + name).toString();

    const auto result = runner->run(url, saved, FileExistsChoice::Overwrite, 60000);
    ASSERT_FALSE(result.timedOut) << "the job must end by itself";
    ASSERT_FALSE(result.completed);
    EXPECT_EQ(result.failure, QStringLiteral("Could not write to %1: No space left on device").arg(saved));
    EXPECT_TRUE(result.job->view().lblStatusIsError);
    EXPECT_EQ(result.job->segmentTable().connections(), c.segmented ? 6 : 1);

    ASSERT_TRUE(disk.resize(QStringLiteral("64m"), true));
    const auto resumed = runner->run(url, saved, FileExistsChoice::Resume, 60000);
    ASSERT_TRUE(resumed.completed) << resumed.failure.toStdString();
    EXPECT_EQ(TestFiles::sha256(saved), TestFiles::sha256(files.path(name)));
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadJobFullDisk,
                         testing::Values(FullDiskCase {"HttpSixConnections", false, true},
                                         FullDiskCase {"HttpOneConnection", false, false},
                                         FullDiskCase {"Ftp", true, false}),
                         CaseName());

TEST_F(DownloadJobEndings, ClosingAFailedWindowKeepsItsRow)
{
    const QString name = files.make(2000);
    FaultServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    const auto result = runner->run(server.url(QStringLiteral("/status/404/") + name).toString(), saveTo(name));
    ASSERT_FALSE(result.completed);

    result.job->unload();
    EXPECT_EQ(runner->jobs.row(1)->subItem(4), QStringLiteral("0 Bytes"));
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("HTTP 404-Object Not Found"));
}

TEST_F(DownloadJobEndings, ClosingARunningWindowStopsItsRow)
{
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 128 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    DownloadJob* job = startSlow(nginx, name, 10000);
    ASSERT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Downloading"));

    job->unload();
    EXPECT_FALSE(job->isTransferring());
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Paused/Stopped"));
}

TEST_F(DownloadJobEndings, AStoppedPartialFileIsNotShownAsWhole)
{
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 128 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    DownloadJob* job = startSlow(nginx, name, 100000);
    ASSERT_EQ(job->segmentTable().NumSegments, 2);

    job->Pause_Resume();
    EXPECT_EQ(job->view().lblTimeRemaining, QString()) << "no time left while paused";
    EXPECT_EQ(job->currentRate(), 0.0);
    job->Pause_Resume();

    home.prompter.script({Prompter::Answer::Yes});
    job->StopMe();
    const DownloadJob::Display& view = job->view();
    EXPECT_FALSE(view.cmdOpenVisible);
    EXPECT_FALSE(view.cmdGotoDirVisible);
    EXPECT_LT(view.PVProgressBar[0], 100);
    EXPECT_LT(view.PVProgressBar[1], 100);
    EXPECT_EQ(view.lblTimeRemaining, QString());
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Paused/Stopped"));

    // A stopped job stays stopped: a resume of every job passes it by.
    job->Pause_Resume();
    EXPECT_FALSE(job->isTransferring());
    job->unload();
    job->Pause_Resume();
    EXPECT_FALSE(job->isTransferring()) << "a closed window's job is over";
}

TEST_F(DownloadJobEndings, AJobThatCompletesWhileStopIsAskedStaysASuccess)
{
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 1024 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    // Without resume data Stop asks first.
    ASSERT_TRUE(QDir().mkpath(ResumeFile::pathFor(saveTo(name))));
    DownloadJob* job = runner->start(nginx.url(QStringLiteral("/slow/") + name).toString(), saveTo(name));
    // Stop asks once bytes have arrived: with none, nothing is lost.
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->isTransferring() && job->receivedBytes() > 0; }));

    home.prompter.script({Prompter::Answer::Yes});
    home.prompter.whileOpen = [&] { JobRunner::waitFor([&] { return job->completed(); }, 30000); };
    job->StopMe();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    ASSERT_TRUE(job->completed()) << job->view().lblStatus.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Download Success"));
    EXPECT_EQ(runner->jobs.row(1)->subItem(2), QStringLiteral("100%"));
    EXPECT_EQ(job->view().lblStatus, QStringLiteral("Transfer Completed..."));
}

TEST_F(DownloadJobEndings, AMissingFtpFileClaimsNoResume)
{
    PyftpdlibServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;
    const auto result = runner->run(server.url(QStringLiteral("/nothere.bin")).toString(),
                                    saveTo(QStringLiteral("n.bin")));
    EXPECT_EQ(result.failure, QStringLiteral("File Not Found"));
    EXPECT_EQ(result.job->view().lblResume, QString());
}

} // namespace
