#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "engine/RequestOptionsFile.h"
#include "settings/KevaContext.h"

#include "ScriptedHttp.h"
#include "support/CaseName.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using DownloadJobWeb = EngineTest;

// What nginx saw of each request: the request line, then the Cookie,
// Referer, User-Agent and Authorization headers, the Host and the status.
const char* const kWebLogFormat = "log_format web '$request|$http_cookie|$http_referer|$http_user_agent|"
                                  "$http_authorization|$host|$status';\n";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList webLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The field `index` of each logged request for paths starting with `prefix`.
QStringList logged(const QStringList& log, const QString& prefix, int index)
{
    QStringList fields;
    for (const QString& line : log) {
        if (line.section(QLatin1Char(' '), 1, 1).startsWith(prefix))
            fields.append(line.section(QLatin1Char('|'), index, index));
    }
    return fields;
}

struct NameCase {
    const char* name;
    const char* path;        // what the URL asks for
    const char* disposition; // the header of the file it ends at
    const char* savedAs;
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.name;
}

class DownloadJobServerNames : public DownloadJobWeb, public testing::WithParamInterface<NameCase> { };

// The file takes the name the server gives, made safe: it never leaves the
// folder the user chose, and nothing is left under the address's name.
TEST_P(DownloadJobServerNames, SavesUnderTheServersSafeName)
{
    const NameCase& c = GetParam();
    const QString served = files.make(300000);
    QFile::remove(files.path(QStringLiteral("token-8f3a9c0d")));
    ASSERT_TRUE(QFile::copy(files.path(served), files.path(QStringLiteral("token-8f3a9c0d"))));
    NginxServer nginx(files.root());
    const QString header = QString::fromUtf8(c.disposition).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    nginx.addServerText(
        QStringLiteral("location = /token-8f3a9c0d { add_header Content-Disposition \"%1\"; }\n").arg(header));
    nginx.addRedirect(QStringLiteral("/download.php"), QStringLiteral("/token-8f3a9c0d"));
    KEVA_REQUIRE_PEER(nginx);

    const QString urlName = QString::fromUtf8(c.path).section(QLatin1Char('/'), -1);
    const auto result = runner->run(nginx.url(QString::fromUtf8(c.path)).toString(), saveTo(urlName));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    const QString savedAs = QString::fromUtf8(c.savedAs);
    EXPECT_EQ(result.job->savePath(), saveTo(savedAs));
    EXPECT_EQ(runner->jobs.row(1)->subItem(JobColumn::SavePath), saveTo(savedAs));
    EXPECT_EQ(TestFiles::sha256(saveTo(savedAs)), TestFiles::sha256(files.path(served)));
    EXPECT_EQ(savedAs == urlName, QFileInfo::exists(saveTo(urlName))) << "nothing left under the address's name";
}

INSTANTIATE_TEST_SUITE_P(
    Names, DownloadJobServerNames,
    testing::Values(
        NameCase {"Quoted", "/token-8f3a9c0d", "attachment; filename=\"report.pdf\"", "report.pdf"},
        NameCase {"ExtendedWinsOverPlain", "/token-8f3a9c0d",
                  "attachment; filename=\"rates.pdf\"; filename*=UTF-8''%E2%82%AC%20rates.pdf", "\u20AC rates.pdf"},
        NameCase {"ParentFolders", "/token-8f3a9c0d", "attachment; filename=\"../../x\"", "x"},
        NameCase {"AbsolutePath", "/token-8f3a9c0d", "attachment; filename=\"/etc/cron.d/y.bin\"", "y.bin"},
        NameCase {"RightToLeftOverride", "/token-8f3a9c0d", "attachment; filename=\"a\u202Etxt.exe\"", "atxt.exe"},
        NameCase {"RedirectToAToken", "/download.php", "attachment; filename=\"report.zip\"", "report.zip"}),
    CaseName());

// A file of the server's name that the user keeps stops the download; the
// file stays as it was.
TEST_F(DownloadJobWeb, AServerNameWhoseFileIsKeptStopsTheDownload)
{
    const QString served = files.make(1000);
    NginxServer nginx(files.root());
    nginx.addServerText(QStringLiteral("location = /%1 { add_header Content-Disposition 'attachment; "
                                       "filename=\"kept.txt\"'; }\n")
                            .arg(served));
    KEVA_REQUIRE_PEER(nginx);
    writeFile(saveTo(QStringLiteral("kept.txt")), "mine");
    const auto result = runner->run(nginx.url(QLatin1Char('/') + served).toString(), saveTo(served),
                                    FileExistsChoice::Keep);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.failure.contains(QStringLiteral("kept.txt"))) << result.failure.toStdString();
    QFile kept(saveTo(QStringLiteral("kept.txt")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("mine"));
    EXPECT_FALSE(QFileInfo::exists(saveTo(served)));
}

struct LoginCase {
    const char* name;
    const char* login;  // in the address: "user:password@"
    bool loginsPage;    // the Logins page has u / p for the server
    const char* target; // the path asked for
    bool completes;
};

void PrintTo(const LoginCase& c, std::ostream* os)
{
    *os << c.name;
}

class DownloadJobLogins : public DownloadJobWeb, public testing::WithParamInterface<LoginCase> { };

// nginx asks for a login below /auth/. The login goes only after the 401,
// only to the host it was given for, and never into the job's row.
TEST_P(DownloadJobLogins, AnswersTheServerWithTheLoginForItsHostOnly)
{
    const LoginCase& c = GetParam();
    const QString served = files.make(200000);
    const QString log = saveTo(QStringLiteral("web.log"));
    writeFile(saveTo(QStringLiteral("htpasswd")), "u:{PLAIN}p\n");
    NginxServer nginx(files.root());
    nginx.addHttpText(QString::fromLatin1(kWebLogFormat));
    nginx.addServerText(QStringLiteral("access_log \"%1\" web;\n"
                                       "location /auth/ { auth_basic \"files\"; auth_basic_user_file \"%2\"; "
                                       "alias \"%3/\"; }\n"
                                       "location = /elsewhere { return 302 http://localhost:$server_port/auth/%4; }\n")
                            .arg(log, saveTo(QStringLiteral("htpasswd")), files.root(), served));
    KEVA_REQUIRE_PEER(nginx);
    if (c.loginsPage)
        context->dialogSettings.lstLogin = {{QStringLiteral("127.0.0.1"), QStringLiteral("u"), QStringLiteral("p")}};

    QString path = QString::fromLatin1(c.target);
    path.replace(QStringLiteral("FILE"), served);
    const QString url = nginx.url(path).toString().replace(QStringLiteral("://"),
                                                           QStringLiteral("://") + QString::fromLatin1(c.login));
    const auto result = runner->run(url, saveTo(served));
    EXPECT_EQ(result.completed, c.completes) << result.failure.toStdString() << "\n"
                                             << webLog(log).join(QLatin1Char('\n')).toStdString();
    if (c.completes) {
        EXPECT_TRUE(sameAsServed(served, served));
    } else {
        EXPECT_EQ(result.failure, QStringLiteral("HTTP 401.x-You are not authorized to view this page"));
    }
    EXPECT_EQ(runner->jobs.row(1)->subItem(JobColumn::Url), nginx.url(path).toString()) << "no login in the row";

    const QStringList lines = webLog(log);
    const QStringList logins = logged(lines, QStringLiteral("/auth/"), 4);
    const QStringList hosts = logged(lines, QStringLiteral("/auth/"), 5);
    ASSERT_FALSE(logins.isEmpty());
    EXPECT_EQ(logins.first(), QStringLiteral("-")) << "nothing is sent before the server asks";
    for (int i = 0; i < logins.size(); ++i) {
        if (hosts[i] == QStringLiteral("localhost")) {
            EXPECT_EQ(logins[i], QStringLiteral("-")) << "a login never goes to another host";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Logins, DownloadJobLogins,
                         testing::Values(LoginCase {"FromTheAddress", "u:p@", false, "/auth/FILE", true},
                                         LoginCase {"FromTheLoginsPage", "", true, "/auth/FILE", true},
                                         LoginCase {"WrongPassword", "u:nope@", false, "/auth/FILE", false},
                                         LoginCase {"NoLogin", "", false, "/auth/FILE", false},
                                         LoginCase {"NotToAnotherHost", "u:p@", false, "/elsewhere", false}),
                         CaseName());

// The browser's cookie, page and User-Agent go with the probe and every
// segment to the link's host; after a redirect to another host, the cookie
// stays behind.
TEST_F(DownloadJobWeb, CarriesTheBrowsersSessionToTheLinksHostOnly)
{
    const QString served = files.make(600000);
    const QString log = saveTo(QStringLiteral("web.log"));
    NginxServer nginx(files.root());
    nginx.addHttpText(QString::fromLatin1(kWebLogFormat));
    nginx.addServerText(QStringLiteral("access_log \"%1\" web;\n"
                                       "location /private/ { if ($cookie_session != \"s3cret\") { return 403; } "
                                       "alias \"%2/\"; }\n"
                                       "location = /away { return 302 http://localhost:$server_port/%3; }\n")
                            .arg(log, files.root(), served));
    KEVA_REQUIRE_PEER(nginx);
    const QString page = nginx.url(QStringLiteral("/page.html")).toString();
    runner->options.browser = {page,
                               QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) Test/1.0"),
                               QStringLiteral("session=s3cret; theme=dark"),
                               {},
                               {}};

    ASSERT_TRUE(runner->run(nginx.url(QStringLiteral("/private/") + served).toString(), saveTo(served)).completed);
    EXPECT_TRUE(sameAsServed(served, served));
    ASSERT_TRUE(
        runner->run(nginx.url(QStringLiteral("/away")).toString(), saveTo(QStringLiteral("away.bin"))).completed);
    EXPECT_EQ(TestFiles::sha256(saveTo(QStringLiteral("away.bin"))), TestFiles::sha256(files.path(served)));

    const QStringList lines = webLog(log);
    const QStringList cookies = logged(lines, QStringLiteral("/private/"), 1);
    ASSERT_GE(cookies.size(), 2) << "the probe and at least one segment";
    for (const QString& cookie : cookies)
        EXPECT_EQ(cookie, QStringLiteral("session=s3cret; theme=dark"));
    for (const QString& line : lines) {
        EXPECT_EQ(line.section(QLatin1Char('|'), 2, 2), page) << line.toStdString();
        EXPECT_EQ(line.section(QLatin1Char('|'), 3, 3), QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) Test/1.0"));
        if (line.section(QLatin1Char('|'), 5, 5) == QStringLiteral("localhost")) {
            EXPECT_EQ(line.section(QLatin1Char('|'), 1, 1), QStringLiteral("-")) << line.toStdString();
        }
    }
    EXPECT_TRUE(logged(lines, QLatin1Char('/') + served, 5).contains(QStringLiteral("localhost")));
}

// A download stopped half-way keeps its session beside the file, readable
// by the user alone, and a later start without one resumes with it; the
// file goes when the download is complete.
TEST_F(DownloadJobWeb, AResumeAfterARestartAsksWithTheKeptSession)
{
    const QString served = files.make(2 * 1048576);
    NginxServer nginx(files.root());
    nginx.addServerText(QStringLiteral("location /private/ { limit_rate 300k; "
                                       "if ($cookie_session != \"s3cret\") { return 403; } alias \"%1/\"; }\n")
                            .arg(files.root()));
    KEVA_REQUIRE_PEER(nginx);
    const QString url = nginx.url(QStringLiteral("/private/") + served).toString();
    runner->options.browser.cookie = QStringLiteral("session=s3cret");
    {
        auto first = std::make_unique<JobRunner>(*context);
        first->options = runner->options;
        DownloadJob* job = first->start(url, saveTo(served));
        ASSERT_TRUE(JobRunner::waitFor([job] { return job->TotalReceived() > 100000; }));
        job->Pause_Resume();
    } // the program ends
    const QString kept = RequestOptionsFile::pathFor(saveTo(served));
    ASSERT_TRUE(QFileInfo::exists(kept));
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(kept).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    runner->options = {};
    const auto result = runner->run(url, saveTo(served), FileExistsChoice::Resume, 60000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(served, served));
    EXPECT_FALSE(QFileInfo::exists(kept));
}

struct DigestCase {
    const char* name;
    const char* algorithm;
    QCryptographicHash::Algorithm hash;
};

void PrintTo(const DigestCase& c, std::ostream* os)
{
    *os << c.name;
}

class DownloadJobDigest : public DownloadJobWeb, public testing::WithParamInterface<DigestCase> { };

// A scripted server that wants Digest: each request's answer is checked as
// the server would (RFC 7616, qop=auth), and a wrong one gets a 401.
TEST_P(DownloadJobDigest, AnswersEachRequestWithItsOwnCount)
{
    const DigestCase& c = GetParam();
    const QByteArray body = QByteArray(150000, 'd') + QByteArray(150000, 'e');
    ScriptedHttp server;
    int answered = 0;
    QSet<QByteArray> counts;
    server.respond = [&](const ScriptedHttp::Request& request) {
        const QByteArray authorization = request.header("Authorization");
        const auto field = [&](const QByteArray& name) {
            const QRegularExpression pattern(QStringLiteral("%1=\"?([^\",]*)\"?").arg(QString::fromLatin1(name)));
            return pattern.match(QString::fromLatin1(authorization)).captured(1).toLatin1();
        };
        const auto hex = [&](const QByteArray& text) { return QCryptographicHash::hash(text, c.hash).toHex(); };
        const QByteArray method = request.head ? "HEAD" : "GET";
        const QByteArray expected = hex(hex("u:files:p") + ":n0nce:" + field("nc") + ':' + field("cnonce")
                                        + ":auth:" + hex(method + ':' + field("uri")));
        if (!authorization.startsWith("Digest ") || field("response") != expected || field("uri") != "/d/f.bin") {
            return "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"files\"\r\nWWW-Authenticate: "
                   "Digest realm=\"files\", qop=\"auth\", nonce=\"n0nce\", algorithm="
                + QByteArray(c.algorithm) + "\r\nContent-Length: 0\r\n\r\n";
        }
        ++answered;
        counts.insert(field("nc"));
        return ScriptedHttp::rangedReply(request, body);
    };
    JobList jobs;
    DownloadJob job(*context, jobs);
    job.setConnections(server.factory());
    const QString url = QStringLiteral("http://host.example/d/f.bin");
    job.setTarget(url, saveTo(QStringLiteral("f.bin")), SplitUrl(url, {}));
    job.setListRow(jobs.addRow({QStringLiteral("N/A"), QStringLiteral("0%")}));
    RequestOptions login;
    login.userName = QStringLiteral("u");
    login.password = QStringLiteral("p");
    job.setRequestOptions(login);
    job.StartDownload();
    const auto result = JobRunner(*context).wait(&job);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    QFile saved(saveTo(QStringLiteral("f.bin")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Sha256),
              QCryptographicHash::hash(body, QCryptographicHash::Sha256));
    EXPECT_EQ(answered, server.requests.size() - 1) << "only the first request goes without a login";
    EXPECT_EQ(counts.size(), answered) << "each request counts on";
}

INSTANTIATE_TEST_SUITE_P(Algorithms, DownloadJobDigest,
                         testing::Values(DigestCase {"Md5", "MD5", QCryptographicHash::Md5},
                                         DigestCase {"Sha256", "SHA-256", QCryptographicHash::Sha256}),
                         CaseName());

} // namespace
