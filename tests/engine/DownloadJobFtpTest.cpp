#include "EngineTest.h"

#include "core/Formatting.h"
#include "engine/DownloadJob.h"
#include "engine/ResumeFile.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDialogState.h"

#include "support/CaseName.h"
#include "support/PeerRequirement.h"
#include "support/PyftpdlibServer.h"
#include "support/VsftpdServer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

using DownloadJobFtp = EngineTest;

QStringList commandsOf(const FtpPeerServer& server, qsizetype atLeast = 0)
{
    QStringList commands;
    for (const FtpCommand& command : server.commandLog(atLeast))
        commands.append(command.argument.isEmpty() ? command.verb : command.verb + QLatin1Char(' ') + command.argument);
    return commands;
}

struct ModeCase {
    const char* name;
    bool passive;
};

class DownloadJobFtpModes : public DownloadJobFtp, public testing::WithParamInterface<ModeCase> { };

TEST_P(DownloadJobFtpModes, FetchesFromVsftpdByteExact)
{
    const QString name = files.make(3 * 1048576 + 17);
    VsftpdServer vsftpd(files.root());
    KEVA_REQUIRE_PEER(vsftpd);
    context->appSettings.UsePASV = GetParam().passive;

    const auto result = runner->run(vsftpd.url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(result.job->contentLength(), 3 * 1048576 + 17) << "the size from the 150 reply";
    EXPECT_EQ(result.job->view().lblResume, QStringLiteral("** Resume Supported **"));
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Download Success"));

    const QStringList commands = commandsOf(vsftpd, 6);
    const QStringList expected = GetParam().passive
        ? QStringList {QStringLiteral("USER anonymous"), QStringLiteral("PASV"), QStringLiteral("TYPE I"),
                       QStringLiteral("REST 0"), QStringLiteral("RETR ") + name}
        : QStringList {QStringLiteral("USER anonymous"), QStringLiteral("TYPE I"), QStringLiteral("REST 0"),
                       QStringLiteral("RETR ") + name};
    for (const QString& command : expected)
        EXPECT_TRUE(commands.contains(command))
            << command.toStdString() << " in " << commands.join(QStringLiteral(", ")).toStdString();
    if (!GetParam().passive) {
        const auto port = std::find_if(commands.cbegin(), commands.cend(), [](const QString& c) {
            return c.startsWith(QStringLiteral("PORT 127,0,0,1,12,"));
        });
        ASSERT_NE(port, commands.cend());
        const int p = port->section(QLatin1Char(','), 5).toInt();
        EXPECT_TRUE(p >= 6 && p <= 139) << port->toStdString();
    }
}

// Over IPv6 the data connection is set up with EPSV or EPRT: PASV and PORT
// carry IPv4 addresses only.
TEST_P(DownloadJobFtpModes, FetchesFromPyftpdlibOverIpv6ByteExact)
{
    if (!QTcpServer().listen(QHostAddress::LocalHostIPv6, 0))
        GTEST_SKIP() << "this machine has no IPv6 loopback address ::1 (see `ip -6 addr show lo`)";
    const QString name = files.make(1048576 + 5);
    PyftpdlibServer server(files.root());
    server.listenOnIpv6();
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = GetParam().passive;

    const QString url = server.url(QLatin1Char('/') + name).toString();
    ASSERT_TRUE(url.startsWith(QStringLiteral("ftp://[::1]:"))) << url.toStdString();
    const auto result = runner->run(url, saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    const QStringList commands = commandsOf(server, 6);
    const QStringList setUp = commands.filter(QRegularExpression(QStringLiteral("^(PASV|PORT|EPSV|EPRT)")));
    ASSERT_EQ(setUp.size(), 1) << commands.join(QStringLiteral(", ")).toStdString();
    EXPECT_TRUE(setUp[0].startsWith(GetParam().passive ? QStringLiteral("EPSV") : QStringLiteral("EPRT |2|::1|")))
        << setUp[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Modes, DownloadJobFtpModes,
                         testing::Values(ModeCase {"Passive", true}, ModeCase {"Active", false}), CaseName());

TEST_F(DownloadJobFtp, ResumesWithRestAtTheLengthLessTheRollback)
{
    const QString name = files.make(500000);
    VsftpdServer vsftpd(files.root());
    KEVA_REQUIRE_PEER(vsftpd);
    context->appSettings.UsePASV = true;
    QFile source(files.path(name));
    source.open(QIODevice::ReadOnly);
    home.writeFile(name, source.read(123456));

    const auto result = runner->run(vsftpd.url(QLatin1Char('/') + name).toString(), saveTo(name),
                                    FileExistsChoice::Resume);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_TRUE(commandsOf(vsftpd, 5).contains(QStringLiteral("REST %1").arg(123456 - 4096)));
}

// pyftpdlib answers PORT only once it has connected to us, so the reply to
// TYPE I often comes first. Each reply must be taken for the command it
// answers: REST and RETR go out once, and the file arrives once.
TEST_F(DownloadJobFtp, ActiveModeAgainstPyftpdlibFetchesEachFileOnce)
{
    const QString name = files.make(2 * 1048576 + 3);
    PyftpdlibServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = false;
    constexpr int kRuns = 20;
    for (int run = 0; run < kRuns; ++run) {
        const QString saved = QStringLiteral("run%1.bin").arg(run);
        const auto result = runner->run(server.url(QLatin1Char('/') + name).toString(), saveTo(saved));
        ASSERT_TRUE(result.completed) << "run " << run << ": " << result.failure.toStdString();
        ASSERT_TRUE(sameAsServed(saved, name)) << "run " << run;
    }
    const QStringList commands = commandsOf(server, 6 * kRuns);
    EXPECT_EQ(commands.filter(QStringLiteral("RETR ")).size(), kRuns);
    EXPECT_EQ(commands.filter(QStringLiteral("REST ")).size(), kRuns);
}

TEST_F(DownloadJobFtp, ALatePortReplyIsNotTakenForTheTypeReply)
{
    const QString name = files.make(700001);
    PyftpdlibServer server(files.root());
    server.slowPortReplies();
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = false;

    const auto result = runner->run(server.url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    const QStringList commands = commandsOf(server, 6);
    EXPECT_EQ(commands.filter(QStringLiteral("RETR ")).size(), 1) << commands.join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(commands.filter(QStringLiteral("REST ")).size(), 1);
}

TEST_F(DownloadJobFtp, NamesWithBlanksAndEncodedPasswordsReachTheServerDecoded)
{
    const QString name = files.make(40001);
    QFile source(files.path(name));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QDir().mkpath(files.path(QStringLiteral("a dir")));
    files.write(QStringLiteral("a dir/my file.bin"), source.readAll());
    PyftpdlibServer server(files.root());
    server.setUser(QStringLiteral("alice"), QStringLiteral("p@ss"));
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;
    const QString url = server.url(QStringLiteral("/"))
                            .toString()
                            .replace(QStringLiteral("ftp://"), QStringLiteral("ftp://alice:p%40ss@"))
        + QStringLiteral("a%20dir/my%20file.bin");

    const auto result = runner->run(url, saveTo(QStringLiteral("blank.bin")));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(QStringLiteral("blank.bin"), name));
    EXPECT_TRUE(commandsOf(server, 6).contains(QStringLiteral("RETR a dir/my file.bin")));
}

TEST_F(DownloadJobFtp, NamedLoginFromTheLoginList)
{
    const QString name = files.make(40000);
    PyftpdlibServer server(files.root());
    server.setUser(QStringLiteral("alice"), QStringLiteral("s3cret"));
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;
    context->settingsDialogState().lstLogin = {
        {QStringLiteral("127.0.0.1"), QStringLiteral("alice"), QStringLiteral("s3cret")}};

    const auto result = runner->run(server.url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_TRUE(commandsOf(server, 2).contains(QStringLiteral("USER alice")));
}

TEST_F(DownloadJobFtp, ARefusedLoginSaysWho)
{
    const QString name = files.make(40000);
    PyftpdlibServer server(files.root());
    server.setUser(QStringLiteral("alice"), QStringLiteral("s3cret"));
    KEVA_REQUIRE_PEER(server);
    const QString url = server.url(QLatin1Char('/') + name)
                            .toString()
                            .replace(QStringLiteral("ftp://"), QStringLiteral("ftp://alice:wrong@"));

    const auto result = runner->run(url, saveTo(name));
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.failure, QStringLiteral("User alice can not log in."));
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("can not log in."));
    EXPECT_TRUE(result.job->view().lblStatusIsError);
}

// Replies and misbehaviours of the scripted server: each download either
// completes byte-exact or fails with the right text.
struct FtpFaultCase {
    const char* name;
    const char* path; // %1 is the file
    std::function<void(PyftpdlibServer&)> setUp;
    bool passive;
    const char* failure;
};

class DownloadJobFtpFaults : public DownloadJobFtp, public testing::WithParamInterface<FtpFaultCase> { };

TEST_P(DownloadJobFtpFaults, EndsRightOrFailsClearly)
{
    const FtpFaultCase& c = GetParam();
    const QString name = files.make(200000);
    PyftpdlibServer server(files.root());
    if (c.setUp)
        c.setUp(server);
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = c.passive;

    const auto result = runner->run(server.url(QString::fromLatin1(c.path).arg(name)).toString(), saveTo(name),
                                    FileExistsChoice::Overwrite, 30000);
    if (*c.failure) {
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(result.failure, QString::fromLatin1(c.failure));
        EXPECT_EQ(runner->jobs.row(1)->subItem(5), QString::fromLatin1(c.failure));
    } else {
        ASSERT_TRUE(result.completed) << result.failure.toStdString() << (result.timedOut ? " (timed out)" : "");
        EXPECT_TRUE(sameAsServed(name, name));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobFtpFaults,
    testing::Values(
        FtpFaultCase {"MissingFile", "/nothere/%1", {}, true, "File Not Found"},
        FtpFaultCase {"RestAnswered550", "/%1", [](PyftpdlibServer& s) { s.setRestReply(550); }, true, ""},
        FtpFaultCase {"RestAnswered504", "/%1", [](PyftpdlibServer& s) { s.setRestReply(504); }, true, ""},
        FtpFaultCase {"NoDataConnection", "/no-data/%1", {}, true, "Could Not Establish Data Connection"},
        FtpFaultCase {"DataBefore150", "/data-first/%1", {}, true, ""},
        FtpFaultCase {"No150Size", "/no-size/%1", {}, true, ""},
        FtpFaultCase {"Early226", "/early-226/%1", {}, true, ""},
        FtpFaultCase {"MultiLineReplies", "/%1", [](PyftpdlibServer& s) { s.sendMultiLineReplies(); }, true, ""},
        FtpFaultCase {"RepliesTogether", "/%1", [](PyftpdlibServer& s) { s.coalesceReplies(); }, true, ""},
        FtpFaultCase {"RepliesTogetherActive", "/%1", [](PyftpdlibServer& s) { s.coalesceReplies(); }, false, ""},
        FtpFaultCase {"PassiveAddressAny", "/%1",
                      [](PyftpdlibServer& s) { s.setPassiveAddress(QStringLiteral("0.0.0.0")); }, true, ""},
        FtpFaultCase {"PassiveAddressUnreachable", "/%1",
                      [](PyftpdlibServer& s) { s.setPassiveAddress(QStringLiteral("10.255.255.1")); }, true, ""}),
    CaseName());

// pyftpdlib's own 150 reply names no size: the size comes from SIZE, asked
// before RETR, and gives the progress and the time left while bytes come.
TEST_F(DownloadJobFtp, TheSizeFromSizeServesWhenThe150ReplyHasNone)
{
    const QString name = files.make(200000);
    PyftpdlibServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;
    const QString path = QStringLiteral("no-size/stall/100000/2000/") + name;
    DownloadJob* job = runner->start(server.url(QLatin1Char('/') + path).toString(), saveTo(name));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->receivedBytes() >= 100000; }));
    ASSERT_LT(job->receivedBytes(), 200000) << "the stall came";
    EXPECT_EQ(job->contentLength(), 200000);
    EXPECT_EQ(job->view().lblFileSize, FormatSize(200000));
    EXPECT_EQ(runner->jobs.row(1)->subItem(3), job->view().lblFileSize);
    EXPECT_EQ(runner->jobs.row(1)->subItem(2), QStringLiteral("50%"));
    job->tmrUpdate_Timer();
    EXPECT_FALSE(job->view().lblTimeRemaining.isEmpty());

    const auto result = runner->wait(job, 30000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    const QStringList commands = commandsOf(server, 6);
    const qsizetype size = commands.indexOf(QStringLiteral("SIZE ") + path);
    EXPECT_GE(size, 0) << commands.join(QStringLiteral(", ")).toStdString();
    EXPECT_LT(size, commands.indexOf(QStringLiteral("RETR ") + path));
}

TEST_F(DownloadJobFtp, RestRefusedOnAPartialFileStartsOver)
{
    const QString name = files.make(200000);
    PyftpdlibServer server(files.root());
    server.setRestReply(504);
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;
    home.writeFile(name, QByteArray(150000, 'x')); // not even the right bytes

    const auto result = runner->run(server.url(QLatin1Char('/') + name).toString(), saveTo(name),
                                    FileExistsChoice::Resume);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(result.job->view().lblResume, QStringLiteral("**RESUME NOT SUPPORTED**"));
}

TEST_F(DownloadJobFtp, PauseAndResumeLogInAgainAndContinue)
{
    const QString name = files.make(600000);
    PyftpdlibServer server(files.root());
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;
    DownloadJob* job = runner->start(server.url(QStringLiteral("/stall/300000/3000/") + name).toString(), saveTo(name));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->receivedBytes() >= 300000; }));

    job->Pause_Resume();
    EXPECT_TRUE(job->isPaused());
    EXPECT_EQ(job->ftpStep(), FtpStep::Idle);
    const qint64 reached = job->receivedBytes();
    job->Pause_Resume();
    EXPECT_EQ(job->segmentTable().nextOffset(0), reached - 4096) << "the rollback";
    const auto result = runner->wait(job, 30000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(commandsOf(server, 10).filter(QStringLiteral("USER")).size(), 2) << "logged in again";
    EXPECT_TRUE(commandsOf(server).contains(QStringLiteral("REST %1").arg(reached - 4096)));
}

// A download stopped part-way goes on at the next start only when SIZE and
// MDTM say the file on the server is the one it began with; a file replaced
// since is fetched again from 0, never spliced onto the old bytes.
struct FtpResumeCase {
    const char* name;
    bool pyftpdlib;
    bool replaced;
};

class DownloadJobFtpResume : public DownloadJobFtp, public testing::WithParamInterface<FtpResumeCase> { };

TEST_P(DownloadJobFtpResume, GoesOnOnlyWithTheSameFile)
{
    const FtpResumeCase& c = GetParam();
    // A file of its own: a case may change it.
    const QString name = QStringLiteral("resume-%1.bin").arg(QString::fromLatin1(c.name));
    QFile original(files.path(files.make(1048576)));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    files.write(name, original.readAll());
    VsftpdServer vsftpd(files.root());
    PyftpdlibServer pyftpdlib(files.root());
    FtpPeerServer& server = c.pyftpdlib ? static_cast<FtpPeerServer&>(pyftpdlib) : vsftpd;
    KEVA_REQUIRE_PEER(server);
    context->appSettings.UsePASV = true;
    context->appSettings.SpeedLimit = 200; // KB a second
    const QString url = server.url(QLatin1Char('/') + name).toString();
    DownloadJob* job = runner->start(url, saveTo(name));
    ASSERT_TRUE(JobRunner::waitFor([&] { return job->receivedBytes() >= 200000; }, 30000));
    runner.reset(); // the program ends with the download half-way
    const ResumeFile::Loaded kept = ResumeFile::load(saveTo(name));
    ASSERT_TRUE(kept.record) << kept.problem.toStdString();
    ASSERT_LT(kept.record->segments[0].next, 1048576);

    if (c.replaced) {
        QByteArray larger(1500000, Qt::Uninitialized);
        for (qsizetype i = 0; i < larger.size(); ++i)
            larger[i] = static_cast<char>(i * 7 + i / 251);
        files.write(name, larger);
        QFile served(files.path(name));
        ASSERT_TRUE(served.open(QIODevice::ReadWrite));
        ASSERT_TRUE(served.setFileTime(QDateTime::currentDateTimeUtc().addDays(1), QFileDevice::FileModificationTime));
    }
    context->appSettings.SpeedLimit = 0;
    runner = std::make_unique<JobRunner>(*context);
    QStringList statuses;
    const qsizetype before = commandsOf(server).size();
    DownloadJob* again = runner->start(url, saveTo(name), FileExistsChoice::Resume);
    QObject::connect(again, &DownloadJob::statusShown, [&](const QString& text, bool) { statuses.append(text); });
    const auto result = runner->wait(again, 30000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    const qint64 from = c.replaced ? 0 : kept.record->segments[0].next - 4096;
    EXPECT_TRUE(commandsOf(server, before + 5).mid(before).contains(QStringLiteral("REST %1").arg(from)))
        << commandsOf(server).mid(before).join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(statuses.contains(QStringLiteral("Starting again from the beginning: the file on the server has "
                                               "changed since the download began.")),
              c.replaced)
        << statuses.join(QStringLiteral(" | ")).toStdString();
    EXPECT_FALSE(QFile::exists(ResumeFile::pathFor(saveTo(name))));
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadJobFtpResume,
                         testing::Values(FtpResumeCase {"VsftpdSameFile", false, false},
                                         FtpResumeCase {"VsftpdReplaced", false, true},
                                         FtpResumeCase {"PyftpdlibReplaced", true, true}),
                         CaseName());

TEST_F(DownloadJobFtp, ABusyActivePortIsSkipped)
{
    const QString name = files.make(40000);
    VsftpdServer vsftpd(files.root());
    KEVA_REQUIRE_PEER(vsftpd);
    context->appSettings.UsePASV = false;
    // Every port of the active range but one is taken.
    std::vector<std::unique_ptr<QTcpServer>> taken;
    for (int p = 6; p <= 139; ++p) {
        if (p == 77)
            continue;
        auto holder = std::make_unique<QTcpServer>();
        if (holder->listen(QHostAddress::LocalHost, static_cast<quint16>(12 * 256 + p)))
            taken.push_back(std::move(holder));
    }
    const auto result = runner->run(vsftpd.url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(result.job->ftpDataPort(), 12 * 256 + 77);
}

} // namespace
