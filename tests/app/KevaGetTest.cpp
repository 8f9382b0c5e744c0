// kevaget as a user runs it: exit codes, what it prints, and that it ends by
// itself against servers that never answer or always end short.
#include "engine/ResumeFile.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"

#include "support/AskedRanges.h"
#include "support/CaseName.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/PyftpdlibServer.h"
#include "support/TestCertificates.h"
#include "support/TinyproxyServer.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QThread>
#include <QFileInfo>
#include <QMap>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>

namespace {

struct Outcome {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

class KevaGet : public testing::Test {
protected:
    void SetUp() override
    {
        home.installLanguageFiles();
        LoadSettings(home.newContext(), LoadReason::Startup);
        // Short retries, so that servers that always end short end the run soon.
        setting("Retries", QStringLiteral("1"));
        setting("RetryTime", QStringLiteral("1"));
        setting("Timeout", QStringLiteral("2"));
        QByteArray content(400000, Qt::Uninitialized);
        QRandomGenerator(11).fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
        served = content;
        home.writeFile(QStringLiteral("www/file.bin"), content);
    }

    void setting(const char* name, const QString& value)
    {
        CRegister(home.context().registry)
            .REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey, QString::fromLatin1(name),
                            value);
    }

    Outcome run(const QStringList& arguments, int timeoutMs = 60000,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                const QByteArray& input = {})
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(home.path(QString()));
        const QString kevaget = TestHome::binFolder() + QStringLiteral("/kevaget");
        if (wrapper.isEmpty())
            process.start(kevaget, arguments);
        else
            process.start(wrapper.first(), wrapper.mid(1) + QStringList {kevaget} + arguments);
        process.write(input);
        process.closeWriteChannel();
        Outcome outcome;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "kevaget did not end within " << timeoutMs << " ms";
            return outcome;
        }
        outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        outcome.err = QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return outcome;
    }

    QString www() const { return home.path(QStringLiteral("www")); }

    TestHome home;
    QByteArray served;
    QStringList wrapper; // a program kevaget runs under, with its arguments
};

struct BadUrlCase {
    const char* name;
    const char* url;
};

class KevaGetBadUrls : public KevaGet, public testing::WithParamInterface<BadUrlCase> { };

TEST_P(KevaGetBadUrls, AreRefusedAtOnce)
{
    const Outcome outcome = run({QString::fromLatin1(GetParam().url)}, 10000);
    EXPECT_EQ(outcome.exitCode, 2);
    ASSERT_FALSE(outcome.err.isEmpty());
    EXPECT_TRUE(outcome.err.first().startsWith(QStringLiteral("kevaget: Invalid URL")))
        << outcome.err.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, KevaGetBadUrls,
                         testing::Values(BadUrlCase {"Misspelt", "htp://127.0.0.1/a.bin"},
                                         BadUrlCase {"File", "file:///etc/passwd"},
                                         BadUrlCase {"NoScheme", "www.example.com/a.bin"},
                                         BadUrlCase {"NoHost", "http:///a.bin"}),
                         CaseName());

// Options of a list that cannot be used together or at all.
struct ListUsageCase {
    const char* name;
    QStringList arguments;
    const char* problem;
};

class KevaGetListUsage : public KevaGet, public testing::WithParamInterface<ListUsageCase> { };

TEST_P(KevaGetListUsage, IsAUsageError)
{
    home.writeFile(QStringLiteral("list.txt"), "# nothing but a comment\n\n");
    const Outcome outcome = run(GetParam().arguments, 10000);
    EXPECT_EQ(outcome.exitCode, 2);
    ASSERT_FALSE(outcome.err.isEmpty());
    EXPECT_EQ(outcome.err.first(), QString::fromUtf8(GetParam().problem));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KevaGetListUsage,
    testing::Values(ListUsageCase {"NoNumber",
                                   {QStringLiteral("-j"), QStringLiteral("x"), QStringLiteral("http://h/a.bin")},
                                   "kevaget: -j needs a number of downloads at a time, from 1 to 100"},
                    ListUsageCase {"Zero",
                                   {QStringLiteral("-j"), QStringLiteral("0"), QStringLiteral("http://h/a.bin")},
                                   "kevaget: -j needs a number of downloads at a time, from 1 to 100"},
                    ListUsageCase {"ListAndUrl",
                                   {QStringLiteral("-i"), QStringLiteral("list.txt"), QStringLiteral("http://h/a.bin")},
                                   "kevaget: give a URL or -i FILE, not both"},
                    ListUsageCase {
                        "ListAndSavePath",
                        {QStringLiteral("-i"), QStringLiteral("list.txt"), QStringLiteral("-o"), QStringLiteral("a")},
                        "kevaget: -o names one file; with -i each file keeps its own name"},
                    ListUsageCase {"NoUrlInTheList",
                                   {QStringLiteral("-i"), QStringLiteral("list.txt")},
                                   "kevaget: the list list.txt holds no URL"},
                    ListUsageCase {"NoSuchList",
                                   {QStringLiteral("-i"), QStringLiteral("none.txt")},
                                   "kevaget: can not read the list none.txt: No such file or directory"}),
    CaseName());

// https:// with certificates made for the test: trusted only through
// --ca-certificate, or with checks off through --no-check-certificate; a
// named authority that did not sign the server's certificate leaves the
// system's authorities trusted.
struct TlsRunCase {
    const char* name;
    QStringList options; // "CA" and "SELF" stand for the test authority's file and an unrelated one
    int exitCode;
    const char* errorText;     // a line of stderr, empty for none
    bool systemTrusts = false; // the system's authorities (/etc/ssl/certs) are the test authority alone
};

class KevaGetTls : public KevaGet, public testing::WithParamInterface<TlsRunCase> { };

TEST_P(KevaGetTls, TrustsWhatTheOptionsSay)
{
    const TlsRunCase& c = GetParam();
    const TestCertificates& certificates = TestCertificates::instance();
    ASSERT_TRUE(certificates.ok()) << certificates.error().toStdString();
    NginxServer nginx(www());
    nginx.useTls(certificates.server().certificate, certificates.server().key);
    KEVA_REQUIRE_PEER(nginx);

    if (c.systemTrusts) {
        // A mount namespace of its own shows kevaget a system folder of authorities.
        if (QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-rm"), QStringLiteral("true")}) != 0)
            GTEST_SKIP() << "unshare -rm (user and mount namespaces) is not available here";
        const QString system = home.path(QStringLiteral("system-certs"));
        ASSERT_TRUE(certificates.writeAuthorityFolder(system));
        wrapper = {QStringLiteral("unshare"),
                   QStringLiteral("-rm"),
                   QStringLiteral("sh"),
                   QStringLiteral("-c"),
                   QStringLiteral("mount --bind \"$0\" /etc/ssl/certs && exec \"$@\""),
                   system};
    }
    QStringList arguments;
    for (const QString& option : c.options) {
        arguments.append(option == QStringLiteral("CA")         ? certificates.authority()
                             : option == QStringLiteral("SELF") ? certificates.selfSigned().certificate
                                                                : option);
    }
    const QString saved = home.path(QStringLiteral("got.bin"));
    arguments << QStringLiteral("-o") << saved << nginx.url(QStringLiteral("/file.bin")).toString();
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.err.join(QLatin1Char('\n')).toStdString();
    if (*c.errorText)
        EXPECT_TRUE(outcome.err.contains(QString::fromUtf8(c.errorText)))
            << outcome.err.join(QLatin1Char('\n')).toStdString();
    else
        EXPECT_TRUE(outcome.err.isEmpty()) << outcome.err.join(QLatin1Char('\n')).toStdString();
    if (c.exitCode == 0)
        EXPECT_EQ(sha256(home.readFile(QStringLiteral("got.bin"))), sha256(served));
    else
        EXPECT_FALSE(QFile::exists(saved)) << "nothing written";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KevaGetTls,
    testing::Values(
        TlsRunCase {"TrustedAuthority", {QStringLiteral("--ca-certificate"), QStringLiteral("CA")}, 0, ""},
        TlsRunCase {"UnrelatedAuthority",
                    {QStringLiteral("--ca-certificate"), QStringLiteral("SELF")},
                    1,
                    "kevaget: The server's certificate is not trusted: the certificate comes from an unknown "
                    "authority."},
        TlsRunCase {"SystemAuthorityAsWell", {QStringLiteral("--ca-certificate"), QStringLiteral("SELF")}, 0, "", true},
        TlsRunCase {"UnknownAuthority",
                    {},
                    1,
                    "kevaget: The server's certificate is not trusted: the certificate comes from an unknown "
                    "authority."},
        TlsRunCase {"ChecksOff",
                    {QStringLiteral("--no-check-certificate")},
                    0,
                    "kevaget: warning: server certificates are not checked in this run; anyone between you "
                    "and the server can change what is downloaded"},
        TlsRunCase {"NoSuchAuthorityFile",
                    {QStringLiteral("--ca-certificate"), QStringLiteral("/nonexistent.pem")},
                    2,
                    "kevaget: can not read the certificate file /nonexistent.pem: No such file or directory"}),
    CaseName());

// http_proxy sends kevaget through a proxy, unless no_proxy names the host.
struct EnvironmentProxyCase {
    const char* name;
    const char* noProxy;
    bool throughProxy;
};

class KevaGetEnvironmentProxy : public KevaGet, public testing::WithParamInterface<EnvironmentProxyCase> { };

TEST_P(KevaGetEnvironmentProxy, FollowsHttpProxyAndNoProxy)
{
    const EnvironmentProxyCase& c = GetParam();
    NginxServer nginx(www());
    const QString heard = nginx.folder() + QStringLiteral("/heard.log");
    nginx.addHttpText(QStringLiteral("    log_format heard '$http_via';\n    access_log \"%1\" heard;\n").arg(heard));
    KEVA_REQUIRE_PEER(nginx);
    TinyproxyServer proxy;
    KEVA_REQUIRE_PEER(proxy);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"), QStringLiteral("http://127.0.0.1:%1/").arg(proxy.port()));
    environment.insert(QStringLiteral("no_proxy"), QString::fromLatin1(c.noProxy));
    const Outcome outcome = run(
        {QStringLiteral("-o"), home.path(QStringLiteral("got.bin")), nginx.url(QStringLiteral("/file.bin")).toString()},
        60000, environment);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("got.bin"))), sha256(served));
    ASSERT_FALSE(nginx.accessLog(1).isEmpty());
    QFile heardFile(heard);
    ASSERT_TRUE(heardFile.open(QIODevice::ReadOnly));
    for (const QByteArray& line : heardFile.readAll().trimmed().split('\n'))
        EXPECT_EQ(line.contains("tinyproxy"), c.throughProxy) << line.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, KevaGetEnvironmentProxy,
                         testing::Values(EnvironmentProxyCase {"ThroughTheProxy", "", true},
                                         EnvironmentProxyCase {"NoProxyForThisHost", "localhost,127.0.0.1", false}),
                         CaseName());

// -i: twenty files and a missing one from a list, four at a time. Every
// file that is there comes out byte-exact under its own name; the missing one
// fails the run, is named in the summary, and stops none of the others.
struct ListCase {
    const char* name;
    bool standardInput; // "-i -", else a file
    const char* atATime;
};

class KevaGetList : public KevaGet, public testing::WithParamInterface<ListCase> { };

TEST_P(KevaGetList, FetchesEveryUrlAndNamesTheOneThatFailed)
{
    const ListCase& c = GetParam();
    NginxServer nginx(www());
    KEVA_REQUIRE_PEER(nginx);
    const QString missing = nginx.url(QStringLiteral("/missing.bin")).toString();
    QByteArray list = "# twenty files and one that is not there\r\n";
    QMap<QString, QByteArray> files;
    for (int i = 0; i < 20; ++i) {
        const QString name = QStringLiteral("f%1.bin").arg(i);
        files[name] = served.left(1000 + i * 17011);
        home.writeFile(QStringLiteral("www/") + name, files[name]);
        list += "  " + nginx.url(QLatin1Char('/') + name).toString().toUtf8() + "\r\n";
        if (i == 9)
            list += "\n" + missing.toUtf8() + "\n\n";
    }
    home.writeFile(QStringLiteral("list.txt"), list);
    const QString from = c.standardInput ? QStringLiteral("-") : home.path(QStringLiteral("list.txt"));
    const Outcome outcome = run({QStringLiteral("-i"), from, QStringLiteral("-j"), QString::fromLatin1(c.atATime)},
                                120000, QProcessEnvironment::systemEnvironment(),
                                c.standardInput ? list : QByteArray());

    EXPECT_EQ(outcome.exitCode, 1);
    for (auto file = files.cbegin(); file != files.cend(); ++file)
        EXPECT_EQ(sha256(home.readFile(file.key())), sha256(file.value())) << file.key().toStdString();
    EXPECT_EQ(outcome.out.size(), files.size()) << "a line per saved file";
    EXPECT_FALSE(QFileInfo::exists(home.path(QStringLiteral("missing.bin"))));
    ASSERT_FALSE(outcome.err.isEmpty());
    EXPECT_TRUE(outcome.err.last().startsWith(
        QStringLiteral("kevaget: 20 of 21 downloads finished; 1 failed: %1 (").arg(missing)))
        << outcome.err.last().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, KevaGetList,
                         testing::Values(ListCase {"FromAFile", false, "4"}, ListCase {"FromStandardInput", true, "4"}),
                         CaseName());

TEST_F(KevaGet, PrintsEachStatusOnceAndTheSavedPath)
{
    FaultServer server(www());
    KEVA_REQUIRE_PEER(server);
    const QString saved = home.path(QStringLiteral("got.bin"));
    const Outcome outcome = run({QStringLiteral("-o"), saved, server.url(QStringLiteral("/file.bin")).toString()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("got.bin"))), sha256(served));
    EXPECT_EQ(outcome.out.last(), saved);
    EXPECT_EQ(outcome.out.filter(QStringLiteral("Download Success")).size(), 1);
    EXPECT_EQ(QSet<QString>(outcome.out.cbegin(), outcome.out.cend()).size(), outcome.out.size())
        << outcome.out.join(QStringLiteral(" | ")).toStdString();
}

// Two runs at once: each adds its completion to the counters by the time it
// exits, and a file fetched in one piece leaves no resume data behind.
TEST_F(KevaGet, RunsAtOnceAddUpTheirCountersByTheirExit)
{
    NginxServer nginx(www());
    KEVA_REQUIRE_PEER(nginx);
    std::array<QProcess, 2> runs;
    const std::array<QString, 2> names {QStringLiteral("a.bin"), QStringLiteral("b.bin")};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runs[i].setWorkingDirectory(home.path(QString()));
        runs[i].start(TestHome::binFolder() + QStringLiteral("/kevaget"),
                      {QStringLiteral("-o"), home.path(names[i]), nginx.url(QStringLiteral("/file.bin")).toString()});
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        ASSERT_TRUE(runs[i].waitForFinished(60000));
        EXPECT_EQ(runs[i].exitCode(), 0) << runs[i].readAllStandardError().toStdString();
        EXPECT_EQ(sha256(home.readFile(names[i])), sha256(served));
        EXPECT_FALSE(QFileInfo::exists(ResumeFile::pathFor(home.path(names[i]))));
    }
    const CRegister registry(home.context().registry);
    const auto stored = [&](const char* name) {
        return registry.REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                                      QString::fromLatin1(name));
    };
    EXPECT_EQ(stored("Downloads"), QStringLiteral("2"));
    EXPECT_EQ(stored("AllBytes"), QString::number(2 * served.size()));
}

TEST_F(KevaGet, ARefusedLoginIsToldOnce)
{
    PyftpdlibServer server(www());
    server.setUser(QStringLiteral("alice"), QStringLiteral("s3cret"));
    KEVA_REQUIRE_PEER(server);
    const QString url = server.url(QStringLiteral("/file.bin"))
                            .toString()
                            .replace(QStringLiteral("ftp://"), QStringLiteral("ftp://alice:wrong@"));
    const Outcome outcome = run({QStringLiteral("-o"), home.path(QStringLiteral("x.bin")), url});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, QStringList {QStringLiteral("kevaget: User alice can not log in.")});
    EXPECT_TRUE(outcome.out.filter(QStringLiteral("can not log in")).isEmpty())
        << outcome.out.join(QLatin1Char('|')).toStdString();
}

TEST_F(KevaGet, AnFtpServerThatNeverAnswersTimesOut)
{
    QTcpServer silent; // takes connections (the kernel does) and never says a word
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const Outcome outcome = run({QStringLiteral("-o"), home.path(QStringLiteral("t.bin")),
                                 QStringLiteral("ftp://127.0.0.1:%1/file.bin").arg(silent.serverPort())},
                                30000);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("kevaget: Connection has timed out.")))
        << outcome.err.join(QLatin1Char('|')).toStdString();
}

TEST_F(KevaGet, AServerThatAlwaysEndsShortEndsTheRun)
{
    FaultServer server(www());
    KEVA_REQUIRE_PEER(server);
    const Outcome outcome = run({QStringLiteral("-o"), home.path(QStringLiteral("s.bin")),
                                 server.url(QStringLiteral("/ignore-range/close-after/200000/file.bin")).toString()},
                                30000);
    EXPECT_EQ(outcome.exitCode, 1);
    ASSERT_FALSE(outcome.err.isEmpty());
    EXPECT_TRUE(outcome.err.last().startsWith(QStringLiteral("kevaget: The server ended its reply")))
        << outcome.err.last().toStdString();
    // The wait before the retry was told, on stderr only.
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("kevaget: Retrying in 1 s (attempt 1 of 1): the server closed the "
                                                    "connection after 200,000 of 400,000 bytes")))
        << outcome.err.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(outcome.out.filter(QStringLiteral("Retrying")).isEmpty());
}

TEST_F(KevaGet, ResumeLeavesALongerLocalFileAlone)
{
    FaultServer server(www());
    KEVA_REQUIRE_PEER(server);
    const QByteArray longer = served + QByteArray(5000, 'x');
    home.writeFile(QStringLiteral("long.bin"), longer);
    // A second run finds what the first left: the file, and no resume data.
    for (int i = 0; i < 2; ++i) {
        const Outcome outcome = run({QStringLiteral("-c"), QStringLiteral("-o"), home.path(QStringLiteral("long.bin")),
                                     server.url(QStringLiteral("/file.bin")).toString()});
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(sha256(home.readFile(QStringLiteral("long.bin"))), sha256(longer)) << "run " << i + 1;
        EXPECT_TRUE(outcome.out.filter(QStringLiteral("Download Success")).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(ResumeFile::pathFor(home.path(QStringLiteral("long.bin")))));
    }
}

// kevaget ended by Ctrl-C or killed outright, then run again with -c: the
// file comes out byte-exact, and the ranges asked on the second run are just
// the missing ones (each from its segment's position less the rollback).
struct KillCase {
    const char* name;
    int signal;
    qint64 size;
    bool cookie = false; // the server wants a cookie, given to the first run only
};

class KevaGetKilled : public KevaGet, public testing::WithParamInterface<KillCase> { };

TEST_P(KevaGetKilled, GoesOnWithC)
{
    const KillCase& c = GetParam();
    QByteArray content(static_cast<qsizetype>(c.size), Qt::Uninitialized);
    QRandomGenerator(c.signal).fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
    home.writeFile(QStringLiteral("www/big.bin"), content);
    home.writeFile(QStringLiteral("cookies.txt"), "127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tabc\n");
    NginxServer nginx(www());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 512 * 1024);
    nginx.addServerText(QStringLiteral("location /private/ { limit_rate 512k; if ($http_cookie != \"sid=abc\") "
                                       "{ return 403; } alias \"%1/\"; }\n")
                            .arg(www()));
    KEVA_REQUIRE_PEER(nginx);
    const QString saved = home.path(QStringLiteral("big.bin"));
    const QString url =
        nginx.url(c.cookie ? QStringLiteral("/private/big.bin") : QStringLiteral("/slow/big.bin")).toString();

    QProcess first;
    first.setWorkingDirectory(home.path(QString()));
    QStringList arguments {QStringLiteral("-o"), saved, url};
    if (c.cookie)
        arguments << QStringLiteral("--load-cookies") << home.path(QStringLiteral("cookies.txt"));
    first.start(TestHome::binFolder() + QStringLiteral("/kevaget"), arguments);
    ASSERT_TRUE(first.waitForStarted());
    const QDeadlineTimer deadline(30000);
    // Killed once the resume data was first written (for a file in one
    // piece, a second into the transfer).
    while ((QFileInfo(saved).size() < c.size / 4 || !QFileInfo::exists(ResumeFile::pathFor(saved)))
           && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_LT(QFileInfo(saved).size(), c.size) << "too fast to be stopped half-way";
    ::kill(static_cast<pid_t>(first.processId()), c.signal);
    ASSERT_TRUE(first.waitForFinished(10000));
    if (c.signal == SIGINT) {
        EXPECT_EQ(first.exitCode(), 128 + SIGINT);
    }

    const ResumeFile::Loaded kept = ResumeFile::load(saved);
    ASSERT_TRUE(kept.record) << kept.problem.toStdString();
    QStringList expected;
    for (const ResumeRecord::Segment& segment : kept.record->segments) {
        if (segment.next < segment.end)
            expected.append(QStringLiteral("bytes=%1-%2")
                                .arg(std::max<qint64>(segment.start, segment.next - 4096))
                                .arg(segment.end - 1));
    }
    const qsizetype before = nginx.accessLog().size();
    const QString session = saved + QStringLiteral(".keva-session");
    EXPECT_EQ(QFileInfo::exists(session), c.cookie);
    if (c.cookie) {
        EXPECT_EQ(
            QFileInfo(session).permissions()
                & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser),
            QFileDevice::Permissions())
            << "only the user may read the kept cookie";
    }

    const Outcome again = run({QStringLiteral("-c"), QStringLiteral("-o"), saved, url});
    ASSERT_EQ(again.exitCode, 0) << again.err.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("big.bin"))), sha256(content));
    // Each byte still missing is asked for once; the first run's requests
    // may reach nginx's log late and are left out.
    const auto firstRun = [&](const AccessLogEntry& entry) { return FromAnEarlierRun(entry, expected); };
    ExpectRangesAskedOnce(RangesAsked(nginx, expected, before, firstRun), expected);
    EXPECT_FALSE(QFileInfo::exists(ResumeFile::pathFor(saved)));
    EXPECT_FALSE(QFileInfo::exists(session));
}

INSTANTIATE_TEST_SUITE_P(Cases, KevaGetKilled,
                         testing::Values(KillCase {"InterruptedSingle", SIGINT, 1500000},
                                         KillCase {"InterruptedSegmented", SIGINT, 6 * 1048576},
                                         KillCase {"KilledSingle", SIGKILL, 1500000},
                                         KillCase {"KilledSegmented", SIGKILL, 6 * 1048576},
                                         KillCase {"KilledWithTheBrowsersCookie", SIGKILL, 6 * 1048576, true}),
                         CaseName());

struct WebCase {
    const char* name;
    QStringList arguments; // before the URL; DIGEST stands for the file's SHA-256, WWW/ for the server
    const char* path;      // on the server, with the URL's fragment
    int exitCode;
    const char* savedAs;   // empty: nothing saved
    const char* said = ""; // a line of the output begins so
};

void PrintTo(const WebCase& c, std::ostream* os)
{
    *os << c.name;
}

class KevaGetWeb : public KevaGet, public testing::WithParamInterface<WebCase> { };

// The options for the web as it is: the server's file name, logins from the
// command line, the environment or ~/.netrc, the cookies, page, agent and
// headers a script gives, and the checksum a site publishes.
TEST_P(KevaGetWeb, SendsWhatTheOptionsSay)
{
    const WebCase& c = GetParam();
    home.writeFile(QStringLiteral("htpasswd"), "u:{PLAIN}p\n");
    home.writeFile(QStringLiteral(".netrc"), "machine 127.0.0.1 login u password p\n");
    home.writeFile(QStringLiteral("www/SHA256SUMS"),
                   QByteArray(64, '0') + "  other.bin\n" + sha256(served) + "  file.bin\n");
    home.writeFile(QStringLiteral("cookies.txt"),
                   "# Netscape HTTP Cookie File\n127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tabc\n"
                   "other.example\tFALSE\t/\tFALSE\t0\tno\tpe\n");
    NginxServer nginx(www());
    nginx.addServerText(
        QStringLiteral(
            "location /auth/ { auth_basic \"files\"; auth_basic_user_file \"%1\"; alias \"%2/\"; }\n"
            "location = /dl { add_header Content-Disposition \"attachment; filename=\\\"report.bin\\\"\"; "
            "alias \"%2/file.bin\"; }\n"
            "location /private/ { if ($http_cookie != \"sid=abc\") { return 403; } "
            "if ($http_x_token != \"t0k\") { return 403; } if ($http_user_agent != \"UA/1\") { return 403; } "
            "if ($http_referer != \"http://page.example/\") { return 403; } alias \"%2/\"; }\n")
            .arg(home.path(QStringLiteral("htpasswd")), www()));
    KEVA_REQUIRE_PEER(nginx);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path(QString()));
    environment.insert(QStringLiteral("KEVAGET_PASSWORD"), QStringLiteral("p"));
    QStringList arguments = c.arguments;
    arguments.replaceInStrings(QStringLiteral("HOME/"), home.path(QString()) + QLatin1Char('/'));
    arguments.replaceInStrings(QStringLiteral("WWW/"), nginx.url(QStringLiteral("/")).toString());
    arguments.replaceInStrings(QStringLiteral("DIGEST"), QString::fromLatin1(sha256(served)));
    const QString path = QString::fromLatin1(c.path).replace(QStringLiteral("DIGEST"),
                                                             QString::fromLatin1(sha256(served)));
    const QString url = nginx.url(path.section(QLatin1Char('#'), 0, 0)).toString()
        + (path.contains(QLatin1Char('#')) ? QLatin1Char('#') + path.section(QLatin1Char('#'), 1) : QString());
    const Outcome outcome = run(arguments << url, 60000, environment);
    ASSERT_EQ(outcome.exitCode, c.exitCode) << outcome.err.join(QLatin1Char('\n')).toStdString();
    if (*c.savedAs) {
        EXPECT_EQ(sha256(home.readFile(QString::fromLatin1(c.savedAs))), sha256(served));
        if (c.exitCode == 0) {
            EXPECT_EQ(outcome.out.last(), home.path(QString::fromLatin1(c.savedAs)));
        }
    } else {
        EXPECT_FALSE(QFileInfo::exists(home.path(QFileInfo(url.section(QLatin1Char('#'), 0, 0)).fileName())));
    }
    if (*c.said) {
        const QStringList said = outcome.out + outcome.err;
        EXPECT_TRUE(std::any_of(said.begin(), said.end(), [&](const QString& line) {
            return line.startsWith(QString::fromUtf8(c.said));
        })) << said.join(QLatin1Char('\n')).toStdString();
    }
    // A URL's fragment is the client's own: no request carries it.
    for (const AccessLogEntry& entry : nginx.accessLog())
        EXPECT_FALSE(entry.target().contains(QLatin1Char('#'))) << entry.request.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KevaGetWeb,
    testing::Values(
        WebCase {"TheServersName", {}, "/dl", 0, "report.bin"},
        WebCase {"NoContentDisposition", {QStringLiteral("--no-content-disposition")}, "/dl", 0, "dl"},
        WebCase {"NamedByTheUser", {QStringLiteral("-o"), QStringLiteral("HOME/mine.bin")}, "/dl", 0, "mine.bin"},
        WebCase {"User", {QStringLiteral("--user"), QStringLiteral("u:p")}, "/auth/file.bin", 0, "file.bin"},
        WebCase {"PasswordFromTheEnvironment",
                 {QStringLiteral("--user"), QStringLiteral("u"), QStringLiteral("--password-from-env"),
                  QStringLiteral("KEVAGET_PASSWORD")},
                 "/auth/file.bin",
                 0,
                 "file.bin"},
        WebCase {"Netrc", {QStringLiteral("--netrc")}, "/auth/file.bin", 0, "file.bin"},
        WebCase {"WrongPassword", {QStringLiteral("--user"), QStringLiteral("u:q")}, "/auth/file.bin", 1, ""},
        WebCase {"CookiesPageAgentAndHeader",
                 {QStringLiteral("--load-cookies"), QStringLiteral("HOME/cookies.txt"), QStringLiteral("--header"),
                  QStringLiteral("X-Token: t0k"), QStringLiteral("--user-agent"), QStringLiteral("UA/1"),
                  QStringLiteral("--referer"), QStringLiteral("http://page.example/")},
                 "/private/file.bin",
                 0,
                 "file.bin"},
        WebCase {"AHeaderWithoutAColon", {QStringLiteral("--header"), QStringLiteral("X-Token")}, "/dl", 2, ""},
        WebCase {"AHeaderKevagetWrites", {QStringLiteral("--header"), QStringLiteral("Range: bytes=0-")}, "/dl", 2, ""},
        WebCase {"AMissingEnvironmentVariable",
                 {QStringLiteral("--password-from-env"), QStringLiteral("KEVAGET_NOT_SET")},
                 "/dl",
                 2,
                 ""},
        WebCase {"TheRightChecksum",
                 {QStringLiteral("--checksum"), QStringLiteral("SHA256=DIGEST")},
                 "/file.bin",
                 0,
                 "file.bin",
                 "Checksum verified (SHA-256)"},
        WebCase {"AWrongChecksumKeepsTheFile",
                 {QStringLiteral("--checksum"), QStringLiteral("md5=00112233445566778899aabbccddeeff")},
                 "/file.bin",
                 1,
                 "file.bin",
                 "kevaget: Checksum mismatch: expected 00112233445566778899aabbccddeeff, got "},
        WebCase {"ABadChecksum", {QStringLiteral("--checksum"), QStringLiteral("sha256=abc")}, "/file.bin", 2, ""},
        WebCase {"AChecksumFile",
                 {QStringLiteral("--checksum-file"), QStringLiteral("WWW/SHA256SUMS")},
                 "/file.bin",
                 0,
                 "file.bin",
                 "Checksum verified (SHA-256)"},
        WebCase {"AChecksumFileThatIsNotThere",
                 {QStringLiteral("--checksum-file"), QStringLiteral("WWW/MD5SUMS")},
                 "/file.bin",
                 1,
                 "",
                 "kevaget: cannot fetch the checksum file"},
        WebCase {"AChecksumFileWithoutTheFile",
                 {QStringLiteral("--checksum-file"), QStringLiteral("WWW/SHA256SUMS")},
                 "/dl",
                 1,
                 "",
                 "kevaget: the checksum file"},
        WebCase {
            "AChecksumInTheFragment", {}, "/file.bin#sha256=DIGEST", 0, "file.bin", "Checksum verified (SHA-256)"}),
    CaseName());

} // namespace
