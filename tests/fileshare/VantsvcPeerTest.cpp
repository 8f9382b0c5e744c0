#include "PeerRun.h"
#include "PeerTool.h"
#include "VantsvcProcess.h"

#include "support/CaseName.h"
#include "support/RawHttpClient.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QByteArray kSecret = "TOP-SECRET-7f3a9c";
const QString kUnicodeName = QStringLiteral("site/\u00DCn\u00EFc\u00F8d\u00E9 \u65E5\u672C.txt");

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(42);
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

// Vantsvc publishing two folders, with a secret file and links beside them,
// started from its command line as a user would.
class VantsvcPeerTest : public testing::Test {
protected:
    void SetUp() override
    {
        data = randomBytes(300 * 1024 + 17);
        home.writeFile(QStringLiteral("site/hello.txt"), "hello world\n");
        home.writeFile(QStringLiteral("site/data.bin"), data);
        home.writeFile(QStringLiteral("site/my file.zip"), "zip zip");
        home.writeFile(QStringLiteral("site/\u00E9t\u00E9 & co.txt"), "summer");
        home.writeFile(QStringLiteral("site/sub/inner.txt"), "inner");
        home.writeFile(QStringLiteral("site/x-_-y.txt"), "real dashes");
        home.writeFile(kUnicodeName, "unicode");
        home.writeFile(QStringLiteral("second/two.txt"), "two");
        home.writeFile(QStringLiteral("secret.txt"), kSecret);
        ::symlink(home.path(QStringLiteral("secret.txt")).toUtf8().constData(),
                  home.path(QStringLiteral("site/outside-link")).toUtf8().constData());
        ::symlink("..", home.path(QStringLiteral("site/up")).toUtf8().constData());
        ::symlink("/etc", home.path(QStringLiteral("site/etc")).toUtf8().constData());
        server = std::make_unique<VantsvcProcess>(
            QStringList {home.path(QStringLiteral("site")), home.path(QStringLiteral("second"))});
        ASSERT_TRUE(server->started()) << server->errors().toStdString();
    }

    QString url(const QString& path) const { return server->url(path); }

    TestHome home;
    QByteArray data;
    std::unique_ptr<VantsvcProcess> server;
};

// --- curl ---

TEST_F(VantsvcPeerTest, CurlReadsTheListing)
{
    REQUIRE_PEER(curl, "curl", "curl");
    const PeerRun run = PeerRun::run(
        curl,
        {QStringLiteral("-sf"), QStringLiteral("-D"), home.path(QStringLiteral("head")), url(QStringLiteral("/"))});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains("<a href=/my%20file.zip>my file.zip</a>")) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("<a href=/%C3%A9t%C3%A9%20%26%20co.txt>\xC3\xA9t\xC3\xA9 &amp; co.txt</a>"));
    EXPECT_TRUE(run.output.contains("<a href=/x-_-y.txt>x-_-y.txt</a>"));
    EXPECT_TRUE(run.output.contains("<a href=/data.bin>data.bin</a></td><td>301KB</td>"));
    // Links out of the folder are not offered.
    for (const char* name : {">outside-link<", ">up<", ">etc<"})
        EXPECT_FALSE(run.output.contains(name)) << name;
    EXPECT_TRUE(home.readFile(QStringLiteral("head")).contains("\r\nContent-Type: text/html; charset=utf-8\r\n"));
}

TEST_F(VantsvcPeerTest, CurlGetsFilesByteExact)
{
    REQUIRE_PEER(curl, "curl", "curl");
    const QString out = home.path(QStringLiteral("out.bin"));
    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("/data.bin"), data},
        {QStringLiteral("/my%20file.zip"), "zip zip"},
        // Links of earlier listings wrote blanks as "-_-".
        {QStringLiteral("/my-_-file.zip"), "zip zip"},
        {QStringLiteral("/x-_-y.txt"), "real dashes"},
        {QStringLiteral("/%C3%A9t%C3%A9%20%26%20co.txt"), "summer"},
        {QStringLiteral("/dir2/two.txt"), "two"},
    };
    for (const auto& [path, bytes] : files) {
        QFile::remove(out);
        const PeerRun run = PeerRun::run(curl, {QStringLiteral("-sf"), QStringLiteral("-o"), out, url(path)});
        ASSERT_EQ(run.exitCode, 0) << path.toStdString();
        EXPECT_EQ(sha256(home.readFile(QStringLiteral("out.bin"))), sha256(bytes)) << path.toStdString();
    }
}

TEST_F(VantsvcPeerTest, CurlResumesAPartialDownload)
{
    REQUIRE_PEER(curl, "curl", "curl");
    home.writeFile(QStringLiteral("partial.bin"), data.left(123457));
    const PeerRun run = PeerRun::run(curl,
                                     {QStringLiteral("-sf"), QStringLiteral("-C"), QStringLiteral("-"),
                                      QStringLiteral("-o"), home.path(QStringLiteral("partial.bin")),
                                      url(QStringLiteral("/data.bin"))});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("partial.bin"))), sha256(data));
}

struct CurlCase {
    const char* name;
    QStringList arguments;
    const char* path;
    int status;
    // The body, when it is to be checked; "*" for a slice of data.bin (see below).
    QByteArray body = {};
    int sliceFirst = 0;
    int sliceLength = 0;
};

class CurlCases : public VantsvcPeerTest, public testing::WithParamInterface<CurlCase> { };

TEST_P(CurlCases, AnswersAsHttpSays)
{
    REQUIRE_PEER(curl, "curl", "curl");
    const CurlCase& c = GetParam();
    QStringList arguments {QStringLiteral("-s"), QStringLiteral("-o"), home.path(QStringLiteral("body")),
                           QStringLiteral("-w"), QStringLiteral("%{http_code}")};
    arguments << c.arguments << url(QString::fromLatin1(c.path));
    const PeerRun run = PeerRun::run(curl, arguments);
    EXPECT_EQ(run.output.toInt(), c.status) << run.errors.toStdString();
    const QByteArray body = home.readFile(QStringLiteral("body"));
    if (c.sliceLength > 0) {
        EXPECT_EQ(body, data.mid(c.sliceFirst, c.sliceLength));
    } else if (!c.body.isNull()) {
        EXPECT_EQ(body, c.body);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CurlCases,
    testing::Values(
        CurlCase {"Head", {QStringLiteral("-I")}, "/hello.txt", 200, QByteArray()},
        CurlCase {"Range", {QStringLiteral("-r"), QStringLiteral("1000-1999")}, "/data.bin", 206, {}, 1000, 1000},
        CurlCase {"RangeToEnd", {QStringLiteral("-r"), QStringLiteral("300000-")}, "/data.bin", 206, {}, 300000, 7217},
        CurlCase {"SuffixRange", {QStringLiteral("-r"), QStringLiteral("-100")}, "/data.bin", 206, {}, 307117, 100},
        CurlCase {"RangeBeyondEnd", {QStringLiteral("-r"), QStringLiteral("999999-")}, "/data.bin", 416, ""},
        CurlCase {"NotModified",
                  {QStringLiteral("-H"), QStringLiteral("If-Modified-Since: Fri, 31 Dec 2100 23:59:59 GMT")},
                  "/hello.txt",
                  304,
                  ""},
        CurlCase {"ModifiedSince",
                  {QStringLiteral("-z"), QStringLiteral("Sun, 06 Nov 1994 08:49:37 GMT")},
                  "/hello.txt",
                  200,
                  "hello world\n"},
        CurlCase {"Missing", {}, "/nothing.txt", 404}, CurlCase {"FolderRedirect", {}, "/sub", 301},
        CurlCase {"FolderRedirectFollowed", {QStringLiteral("-L")}, "/dir2", 200},
        CurlCase {"DeleteRefused", {QStringLiteral("-X"), QStringLiteral("DELETE")}, "/hello.txt", 501},
        CurlCase {"PostRefused", {QStringLiteral("-d"), QStringLiteral("x=1")}, "/UPLOADFORM", 501},
        CurlCase {"PutRefused", {QStringLiteral("-T"), QStringLiteral("/etc/hostname")}, "/new.txt", 501},
        CurlCase {"EncodedSlash", {}, "/sub%2Finner.txt", 400},
        CurlCase {"Http10", {QStringLiteral("-0")}, "/hello.txt", 200, "hello world\n"}),
    CaseName());

TEST_F(VantsvcPeerTest, RefusedWritesChangeNothing)
{
    REQUIRE_PEER(curl, "curl", "curl");
    PeerRun::run(
        curl,
        {QStringLiteral("-s"), QStringLiteral("-X"), QStringLiteral("DELETE"), url(QStringLiteral("/hello.txt"))});
    PeerRun::run(
        curl,
        {QStringLiteral("-s"), QStringLiteral("-T"), QStringLiteral("/etc/hostname"), url(QStringLiteral("/new.txt"))});
    EXPECT_EQ(home.readFile(QStringLiteral("site/hello.txt")), "hello world\n");
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("site/new.txt"))));
}

TEST_F(VantsvcPeerTest, AccessLogOnStandardOutputAndCleanExit)
{
    REQUIRE_PEER(curl, "curl", "curl");
    PeerRun::run(
        curl,
        {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"), url(QStringLiteral("/hello.txt"))});
    QString log;
    for (int i = 0; i < 50 && !log.contains(QStringLiteral("hello.txt")); ++i)
        log = server->accessLog();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^127\\.0\\.0\\.1 - - \\[\\d\\d/\\w\\w\\w/\\d{4}:\\d\\d:\\d\\d:\\d\\d "
                                          "-?\\d{3,4}\\] \"GET /hello.txt HTTP/1.1\" 200 12$"),
                           QRegularExpression::MultilineOption)
            .match(log)
            .hasMatch())
        << log.toStdString();
    EXPECT_EQ(server->terminate(), 0);
}

// --- wget ---

TEST_F(VantsvcPeerTest, WgetFetchesAndContinues)
{
    REQUIRE_PEER(wget, "wget", "wget");
    const QString out = home.path(QStringLiteral("wget.bin"));
    PeerRun run = PeerRun::run(wget,
                               {QStringLiteral("-q"), QStringLiteral("-O"), out, url(QStringLiteral("/data.bin"))});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("wget.bin"))), sha256(data));

    home.writeFile(QStringLiteral("cont/data.bin"), data.left(5000));
    run = PeerRun::run(wget,
                       {QStringLiteral("-q"), QStringLiteral("-c"), QStringLiteral("-P"),
                        home.path(QStringLiteral("cont")), url(QStringLiteral("/data.bin"))});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("cont/data.bin"))), sha256(data));
}

TEST_F(VantsvcPeerTest, WgetFollowsTheListingLinks)
{
    REQUIRE_PEER(wget, "wget", "wget");
    const QString mirror = home.path(QStringLiteral("mirror"));
    const PeerRun run = PeerRun::run(wget,
                                     {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-np"),
                                      QStringLiteral("-nH"), QStringLiteral("-l"), QStringLiteral("3"),
                                      QStringLiteral("-P"), mirror, url(QStringLiteral("/"))});
    // Every link of the listing answers: no link leads out of the folder.
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("mirror/data.bin"))), sha256(data));
    EXPECT_EQ(home.readFile(QStringLiteral("mirror/my file.zip")), "zip zip");
    EXPECT_EQ(home.readFile(QStringLiteral("mirror/x-_-y.txt")), "real dashes");
    EXPECT_EQ(home.readFile(QStringLiteral("mirror/sub/inner.txt")), "inner");
    for (const char* name : {"mirror/my-_-file.zip", "mirror/outside-link", "mirror/up", "mirror/etc"})
        EXPECT_FALSE(QFileInfo::exists(home.path(QString::fromLatin1(name)))) << name;
}

// --- traversal ---

QStringList traversalPayloads()
{
    const QStringList escapes = {
        QStringLiteral("../secret.txt"),
        QStringLiteral("../../secret.txt"),
        QStringLiteral("../../../../../../etc/passwd"),
        QStringLiteral("sub/../../secret.txt"),
        QStringLiteral("dir2/../../secret.txt"),
        QStringLiteral("dir2/../secret.txt"),
        QStringLiteral("./../secret.txt"),
        QStringLiteral("sub/./../../secret.txt"),
        QStringLiteral("..\\secret.txt"),
        QStringLiteral("sub\\..\\..\\secret.txt"),
        QStringLiteral("....//secret.txt"),
        QStringLiteral("..;/secret.txt"),
        QStringLiteral("up/secret.txt"),
        QStringLiteral("up/up/secret.txt"),
        QStringLiteral("outside-link"),
        QStringLiteral("etc/passwd"),
        QStringLiteral("sub/../up/secret.txt"),
        QStringLiteral("dir2/../up/secret.txt"),
        QStringLiteral("..-_-/secret.txt"),
        QStringLiteral("/etc/passwd"),
    };
    QStringList payloads;
    for (const QString& escape : escapes) {
        payloads << QLatin1Char('/') + escape;
        // Every dot, slash and backslash escaped, in both letter cases.
        QString encoded;
        QString encodedLower;
        QString doubled;
        for (const QChar c : escape) {
            const char* code = c == QLatin1Char('.') ? "%2E"
                : c == QLatin1Char('/')              ? "%2F"
                : c == QLatin1Char('\\')             ? "%5C"
                                                     : nullptr;
            encoded += code ? QString::fromLatin1(code) : QString(c);
            encodedLower += code ? QString::fromLatin1(code).toLower() : QString(c);
            doubled += code ? QStringLiteral("%25") + QString::fromLatin1(code + 1) : QString(c);
        }
        payloads << QLatin1Char('/') + encoded << QLatin1Char('/') + encodedLower << QLatin1Char('/') + doubled;
        // Dots alone escaped, slashes kept.
        QString dots = escape;
        payloads << QLatin1Char('/') + dots.replace(QStringLiteral(".."), QStringLiteral("%2e%2e"));
    }
    payloads << QStringLiteral("/..%c0%af..%c0%afsecret.txt") << QStringLiteral("/..%u2215secret.txt")
             << QStringLiteral("/%2e%2e%2f%2e%2e%2fetc%2fpasswd") << QStringLiteral("/secret.txt%00.html")
             << QStringLiteral("/dir2%2f..%2f..%2fsecret.txt") << QStringLiteral("//etc/passwd")
             << QStringLiteral("http://127.0.0.1/../secret.txt") << QStringLiteral("/dir2/..%00/secret.txt")
             << QStringLiteral("/%2e%2e/%2e%2e/%2e%2e/etc/passwd?x=1#y");
    return payloads;
}

TEST_F(VantsvcPeerTest, NoTraversalPayloadReachesOutside)
{
    const QStringList payloads = traversalPayloads();
    ASSERT_GE(payloads.size(), 50);
    for (const QString& payload : payloads) {
        for (const char* version : {" HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "\r\n"}) {
            const std::string answer =
                RawHttpClient(server->port()).send("GET " + payload.toUtf8() + version).bytes().toStdString();
            EXPECT_EQ(answer.find(kSecret.toStdString()), std::string::npos) << payload.toStdString();
            EXPECT_EQ(answer.find("root:x:0:0"), std::string::npos) << payload.toStdString();
            if (*version == ' ') {
                EXPECT_EQ(answer.rfind("HTTP/1.1 4", 0), 0u) << payload.toStdString() << "\n" << answer.substr(0, 200);
            }
        }
    }
    EXPECT_EQ(home.readFile(QStringLiteral("secret.txt")), kSecret);
    // The server still serves after the whole corpus.
    EXPECT_EQ(RawHttpClient(server->port()).send("GET /hello.txt\r\n").bytes(), "hello world\n");
}

// --- Chromium ---

TEST_F(VantsvcPeerTest, ChromiumOpensTheListingAndFollowsALink)
{
    REQUIRE_PEER(chromium, "chromium", "chromium");
    const QTemporaryDir profile;
    const auto dumpDom = [&](const QString& address) {
        return PeerRun::run(chromium,
                            {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                             QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"),
                             QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
                             QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                             QStringLiteral("--user-data-dir=") + profile.path(), QStringLiteral("--dump-dom"),
                             address},
                            120000);
    };
    const PeerRun listing = dumpDom(url(QStringLiteral("/")));
    ASSERT_EQ(listing.exitCode, 0) << listing.errors.toStdString();
    EXPECT_TRUE(listing.output.contains("Directory Listing for /"));
    const QRegularExpressionMatch link = QRegularExpression(QStringLiteral("<a href=\"([^\"]*)\">my file.zip</a>"))
                                             .match(QString::fromUtf8(listing.output));
    ASSERT_TRUE(link.hasMatch()) << listing.output.toStdString();
    EXPECT_EQ(link.captured(1), QStringLiteral("/my%20file.zip"));
    // The page is read as UTF-8, so names outside ASCII show as they are.
    EXPECT_TRUE(listing.output.contains(kUnicodeName.mid(5).toUtf8())) << listing.output.toStdString();

    const QRegularExpressionMatch folder =
        QRegularExpression(QStringLiteral("<a href=\"([^\"]*)\">sub</a>")).match(QString::fromUtf8(listing.output));
    ASSERT_TRUE(folder.hasMatch());
    const PeerRun followed = dumpDom(url(folder.captured(1)));
    ASSERT_EQ(followed.exitCode, 0) << followed.errors.toStdString();
    EXPECT_TRUE(followed.output.contains("Directory Listing for /sub/"));
    const QRegularExpressionMatch inner = QRegularExpression(QStringLiteral("<a href=\"([^\"]*)\">inner.txt</a>"))
                                              .match(QString::fromUtf8(followed.output));
    ASSERT_TRUE(inner.hasMatch());
    const PeerRun file = dumpDom(url(inner.captured(1)));
    EXPECT_TRUE(file.output.contains("inner")) << file.output.toStdString();
}

} // namespace
