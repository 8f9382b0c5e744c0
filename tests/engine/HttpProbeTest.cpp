#include "engine/HttpProbe.h"

#include "ScriptedHttp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct ProbeCase {
    const char* name;
    bool head; // the probe starts with HEAD, not with the file's GET
    // The reply to the n-th request (0-based) of the probe.
    std::function<QByteArray(int n, const ScriptedHttp::Request&)> reply;
    qint64 size;
    bool ranges;
    const char* failure; // empty when the probe succeeds
    QByteArray lastRequestLine;
    int requests;
};

void PrintTo(const ProbeCase& c, std::ostream* os)
{
    *os << c.name;
}

QByteArray redirectTo(const QByteArray& location)
{
    return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

class HttpProbeScript : public testing::TestWithParam<ProbeCase> { };

TEST_P(HttpProbeScript, LearnsTheFileOrSaysWhyNot)
{
    const ProbeCase& c = GetParam();
    ScriptedHttp server;
    server.respond = [&](const ScriptedHttp::Request& request) {
        return c.reply(static_cast<int>(server.requests.size()) - 1, request);
    };
    const ConnectionFactory factory = server.factory();
    const ProxyPolicy proxies;
    std::optional<HttpProbe::Result> result;
    QString failure;
    bool over = false;
    HttpProbe probe(factory, proxies,
                    {
                        [](const QString&) {},
                        [](const QString& url) { return std::optional<UrlParts>(SplitUrl(url, {})); },
                        [&](const HttpProbe::Result& found) {
                            result = found;
                            over = true;
                        },
                        [&](const QString& message) {
                            failure = message;
                            over = true;
                        },
                    });
    const QString url = QStringLiteral("http://host.example/dir/file.bin");
    probe.start(url, SplitUrl(url, {}), c.head);
    const QDeadlineTimer deadline(5000);
    while (!over && !deadline.hasExpired())
        QCoreApplication::processEvents();
    ASSERT_TRUE(over);
    EXPECT_EQ(failure, QString::fromLatin1(c.failure));
    if (!*c.failure) {
        ASSERT_TRUE(result);
        EXPECT_EQ(result->size, c.size);
        EXPECT_EQ(result->rangesSupported, c.ranges);
    }
    EXPECT_EQ(server.requests.size(), c.requests);
    EXPECT_EQ(server.requests.last().line(), c.lastRequestLine);
}

const QByteArray kFile(1000, 'f');

INSTANTIATE_TEST_SUITE_P(
    Replies, HttpProbeScript,
    testing::Values(
        ProbeCase {"HeadWithRanges", true,
                   [](int, const ScriptedHttp::Request& r) { return ScriptedHttp::rangedReply(r, kFile); }, 1000, true,
                   "", "HEAD /dir/file.bin HTTP/1.1", 1},
        ProbeCase {"GetWithRanges", false,
                   [](int, const ScriptedHttp::Request& r) { return ScriptedHttp::rangedReply(r, kFile); }, 1000, true,
                   "", "GET /dir/file.bin HTTP/1.1", 1},
        ProbeCase {"GetWithoutRanges", false,
                   [](int, const ScriptedHttp::Request&) {
                       return QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
                   },
                   1000, false, "", "GET /dir/file.bin HTTP/1.1", 1},
        ProbeCase {"HeadRefusedThenAskedWithAGet", true,
                   [](int n, const ScriptedHttp::Request& r) {
                       return n == 0 ? QByteArray("HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n")
                                     : ScriptedHttp::rangedReply(r, kFile);
                   },
                   1000, true, "", "GET /dir/file.bin HTTP/1.1", 2},
        ProbeCase {"RelativeRedirect", false,
                   [](int n, const ScriptedHttp::Request& r) {
                       return n == 0 ? redirectTo("../other/new.bin") : ScriptedHttp::rangedReply(r, kFile);
                   },
                   1000, true, "", "GET /other/new.bin HTTP/1.1", 2},
        ProbeCase {"TwentyRedirectsAreFollowed", false,
                   [](int n, const ScriptedHttp::Request& r) {
                       return n < 20 ? redirectTo("/hop" + QByteArray::number(n)) : ScriptedHttp::rangedReply(r, kFile);
                   },
                   1000, true, "", "GET /hop19 HTTP/1.1", 21},
        ProbeCase {"TheTwentyFirstIsNot", false,
                   [](int n, const ScriptedHttp::Request&) { return redirectTo("/hop" + QByteArray::number(n)); }, -1,
                   false, "Too many redirects (more than 20).", "GET /hop19 HTTP/1.1", 21},
        ProbeCase {
            "EmptyFile", false,
            [](int, const ScriptedHttp::Request&) {
                return QByteArray(
                    "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */0\r\nContent-Length: 0\r\n\r\n");
            },
            0, false, "", "GET /dir/file.bin HTTP/1.1", 1},
        ProbeCase {
            "UnsatisfiableRangeOfAFile", false,
            [](int, const ScriptedHttp::Request&) {
                return QByteArray(
                    "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */5\r\nContent-Length: 0\r\n\r\n");
            },
            -1, false, "HTTP 416 Range Not Satisfiable", "GET /dir/file.bin HTTP/1.1", 1},
        ProbeCase {"NotFound", false,
                   [](int, const ScriptedHttp::Request&) {
                       return QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                   },
                   -1, false, "HTTP 404-Object Not Found", "GET /dir/file.bin HTTP/1.1", 1},
        ProbeCase {"ClosedInTheStatusLine", false,
                   [](int, const ScriptedHttp::Request&) { return QByteArray("HTTP/1.1 2"); }, -1, false,
                   "The server closed the connection before the reply was complete.", "GET /dir/file.bin HTTP/1.1", 1}),
    CaseName());

TEST(HttpProbe, KeepsTheValidators)
{
    ScriptedHttp server;
    server.respond = [](const ScriptedHttp::Request&) {
        return QByteArray("HTTP/1.1 200 OK\r\nETag: \"abc\"\r\nLast-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n"
                          "Content-Length: 7\r\n\r\n");
    };
    const ConnectionFactory factory = server.factory();
    const ProxyPolicy proxies;
    std::optional<HttpProbe::Result> result;
    HttpProbe probe(factory, proxies,
                    {[](const QString&) {}, [](const QString&) { return std::optional<UrlParts>(); },
                     [&](const HttpProbe::Result& found) { result = found; }, [](const QString&) {}});
    const QString url = QStringLiteral("http://h/f");
    probe.start(url, SplitUrl(url, {}), false);
    const QDeadlineTimer deadline(5000);
    while (!result && !deadline.hasExpired())
        QCoreApplication::processEvents();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->etag, QByteArray("\"abc\""));
    EXPECT_EQ(result->lastModified, QByteArray("Tue, 01 Dec 2026 10:00:00 GMT"));
}

} // namespace
