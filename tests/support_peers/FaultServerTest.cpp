#include "ServedFiles.h"

#include "support/CaseName.h"
#include "support/FaultServer.h"
#include "support/PeerRequirement.h"
#include "support/RawHttpClient.h"

#include <gtest/gtest.h>

#include <QUrl>

// The fault server misbehaves exactly as its path asks.
namespace {

using Ending = RawHttpReply::Ending;

const QByteArray& file()
{
    return ServedFiles::data();
}

class FaultServerTest : public testing::Test {
protected:
    void SetUp() override { KEVA_REQUIRE_PEER(server); }

    RawHttpReply get(const QString& path, const QByteArray& headers = {}, int timeoutMilliseconds = 3000) const
    {
        return RawHttpClient(server.port(), timeoutMilliseconds).request("GET", path, headers);
    }

    ServedFiles files;
    FaultServer server {files.folder()};
};

// Ranges: honoured, ignored, or answered from the wrong start.
struct RangeCase {
    std::string name;
    QString path;
    QByteArray range;
    int status;
    QByteArray contentRange; // null: no Content-Range
    qsizetype first;
    qsizetype length;
};

class FaultServerRangeTest : public FaultServerTest, public testing::WithParamInterface<RangeCase> { };

TEST_P(FaultServerRangeTest, AnswersTheRangeAsAsked)
{
    const RangeCase& row = GetParam();
    const RawHttpReply reply = get(row.path, "Range: " + row.range + "\r\n");
    EXPECT_EQ(reply.status(), row.status);
    EXPECT_EQ(reply.header("Content-Range"), row.contentRange);
    if (row.length > 0) {
        EXPECT_EQ(reply.body(), file().mid(row.first, row.length));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultServerRangeTest,
    testing::Values(
        RangeCase {"Honoured", QStringLiteral("/file.bin"), "bytes=100-199", 206, "bytes 100-199/100000", 100, 100},
        RangeCase {"Suffix", QStringLiteral("/file.bin"), "bytes=-10", 206, "bytes 99990-99999/100000", 99990, 10},
        RangeCase {"PastTheEnd", QStringLiteral("/file.bin"), "bytes=100000-", 416, "bytes */100000", 0, 0},
        RangeCase {"Ignored", QStringLiteral("/ignore-range/file.bin"), "bytes=100-199", 200, {}, 0, 100000},
        RangeCase {"WrongStart", QStringLiteral("/bad-range/file.bin"), "bytes=100-199", 206, "bytes 101-199/100000",
                   101, 99}),
    CaseName());

// How the connection ends and how much of the body came before.
struct EndingCase {
    std::string name;
    QString path;
    int timeoutMilliseconds;
    Ending ending;
    qsizetype bodyBytes;
    QByteArray contentLength; // null: none sent
};

class FaultServerEndingTest : public FaultServerTest, public testing::WithParamInterface<EndingCase> { };

TEST_P(FaultServerEndingTest, EndsTheConnectionAsAsked)
{
    const EndingCase& row = GetParam();
    const RawHttpReply reply = get(row.path, {}, row.timeoutMilliseconds);
    EXPECT_EQ(reply.status(), 200);
    EXPECT_EQ(reply.ending(), row.ending);
    EXPECT_EQ(reply.header("Content-Length"), row.contentLength);
    if (row.ending == Ending::Reset) {
        EXPECT_LE(reply.body().size(), row.bodyBytes) << "data that was in flight may be lost with a reset";
    } else {
        EXPECT_EQ(reply.body().size(), row.bodyBytes);
    }
    EXPECT_TRUE(file().startsWith(reply.body()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultServerEndingTest,
    testing::Values(
        EndingCase {"Whole", QStringLiteral("/file.bin"), 3000, Ending::Closed, 100000, "100000"},
        EndingCase {"CloseEarly", QStringLiteral("/close-after/1000/file.bin"), 3000, Ending::Closed, 1000, "100000"},
        EndingCase {"Reset", QStringLiteral("/reset-after/1000/file.bin"), 3000, Ending::Reset, 1000, "100000"},
        EndingCase {"StallForever", QStringLiteral("/stall/1000/forever/file.bin"), 400, Ending::TimedOut, 1000,
                    "100000"},
        EndingCase {"StallThenGoOn", QStringLiteral("/stall/1000/200/file.bin"), 3000, Ending::Closed, 100000,
                    "100000"},
        EndingCase {"NoLength", QStringLiteral("/no-length/file.bin"), 3000, Ending::Closed, 100000, {}}),
    CaseName());

TEST_F(FaultServerTest, CloseAfterOnceClosesTheFirstRequestOnly)
{
    const QString path = QStringLiteral("/close-after-once/1000/file.bin");
    EXPECT_EQ(get(path).body().size(), 1000);
    EXPECT_EQ(get(path).body(), file());
}

TEST_F(FaultServerTest, SplitHeadersArriveInPieces)
{
    const RawHttpReply reply = get(QStringLiteral("/split-headers/file.bin"));
    EXPECT_GE(reply.headerReads(), 2);
    EXPECT_EQ(reply.status(), 200);
    EXPECT_EQ(reply.body(), file());
}

// Undoes chunked framing; fails the test on a malformed stream.
QByteArray dechunk(const QByteArray& framed, QByteArray* trailer)
{
    QByteArray body;
    qsizetype at = 0;
    for (;;) {
        const qsizetype lineEnd = framed.indexOf("\r\n", at);
        if (lineEnd < 0) {
            ADD_FAILURE() << "chunk size line missing";
            return body;
        }
        const QByteArray sizeLine = framed.mid(at, lineEnd - at);
        EXPECT_TRUE(sizeLine.contains(';')) << "every chunk carries an extension";
        bool ok = false;
        const qsizetype size = sizeLine.left(sizeLine.indexOf(';')).toLongLong(&ok, 16);
        if (!ok) {
            ADD_FAILURE() << "bad chunk size line " << sizeLine.toStdString();
            return body;
        }
        at = lineEnd + 2;
        if (size == 0) {
            *trailer = framed.mid(at);
            return body;
        }
        body += framed.mid(at, size);
        at += size + 2;
    }
}

TEST_F(FaultServerTest, ChunkedBodyHasExtensionsAndATrailer)
{
    const RawHttpReply reply = get(QStringLiteral("/chunked/file.bin"));
    EXPECT_EQ(reply.header("Transfer-Encoding"), "chunked");
    EXPECT_TRUE(reply.header("Content-Length").isNull());
    QByteArray trailer;
    EXPECT_EQ(dechunk(reply.body(), &trailer), file());
    EXPECT_EQ(trailer, "X-Fault-Trailer: done\r\n\r\n");
}

// Redirect chains: each hop's Location has the asked form, and the chain ends at the file.
struct RedirectCase {
    std::string name;
    QString path;
    QByteArray locationStart;
};

class FaultServerRedirectTest : public FaultServerTest, public testing::WithParamInterface<RedirectCase> { };

TEST_P(FaultServerRedirectTest, FollowsTheChainToTheFile)
{
    const RedirectCase& row = GetParam();
    QUrl url = server.url(row.path);
    int hops = 0;
    RawHttpReply reply = get(url.path());
    for (; reply.status() == 302 && hops < 10; ++hops) {
        EXPECT_TRUE(reply.header("Location").startsWith(row.locationStart)) << reply.header("Location").toStdString();
        url = url.resolved(QUrl(QString::fromLatin1(reply.header("Location"))));
        reply = get(url.path());
    }
    EXPECT_EQ(hops, 3);
    EXPECT_EQ(reply.status(), 200);
    EXPECT_EQ(reply.body(), file());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultServerRedirectTest,
    testing::Values(RedirectCase {"AbsoluteUrl", QStringLiteral("/redirect/3/file.bin"), "http://127.0.0.1:"},
                    RedirectCase {"AbsolutePath", QStringLiteral("/redirect-path/3/file.bin"), "/"},
                    RedirectCase {"Relative", QStringLiteral("/redirect-relative/3/file.bin"), "../"},
                    RedirectCase {"WrappingAnotherFault", QStringLiteral("/redirect-path/3/ignore-range/file.bin"),
                                  "/"}),
    CaseName());

TEST_F(FaultServerTest, RedirectLoopPointsBackAtItself)
{
    const QUrl url = server.url(QStringLiteral("/redirect-loop/x"));
    const RawHttpReply reply = get(url.path());
    EXPECT_EQ(reply.status(), 302);
    EXPECT_EQ(url.resolved(QUrl(QString::fromLatin1(reply.header("Location")))), url);
}

// Error statuses come with an HTML page.
struct StatusCase {
    std::string name;
    QString path;
    int status;
    QByteArray retryAfter;
};

class FaultServerStatusTest : public FaultServerTest, public testing::WithParamInterface<StatusCase> { };

TEST_P(FaultServerStatusTest, AnswersWithAnHtmlPage)
{
    const StatusCase& row = GetParam();
    const RawHttpReply reply = get(row.path);
    EXPECT_EQ(reply.status(), row.status);
    EXPECT_EQ(reply.header("Content-Type"), "text/html");
    EXPECT_TRUE(reply.body().startsWith("<html>"));
    EXPECT_EQ(reply.body().size(), reply.header("Content-Length").toLongLong());
    EXPECT_EQ(reply.header("Retry-After"), row.retryAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, FaultServerStatusTest,
                         testing::Values(StatusCase {"MissingFile", QStringLiteral("/missing.bin"), 404, {}},
                                         StatusCase {"Asked404", QStringLiteral("/status/404/x"), 404, {}},
                                         StatusCase {"Asked416", QStringLiteral("/status/416/file.bin"), 416, {}},
                                         StatusCase {"Asked429", QStringLiteral("/status/429/x"), 429, "1"},
                                         StatusCase {"Asked503", QStringLiteral("/status/503/x"), 503, "1"}),
                         CaseName());

TEST_F(FaultServerTest, HeadIsRefusedWhileGetWorks)
{
    const RawHttpReply head = RawHttpClient(server.port()).request("HEAD", QStringLiteral("/head-405/file.bin"));
    EXPECT_EQ(head.status(), 405);
    EXPECT_EQ(head.header("Allow"), "GET");
    EXPECT_TRUE(head.body().isEmpty());
    EXPECT_EQ(get(QStringLiteral("/head-405/file.bin")).body(), file());
}

TEST_F(FaultServerTest, PlainHeadGivesTheLengthWithoutBody)
{
    const RawHttpReply head = RawHttpClient(server.port()).request("HEAD", QStringLiteral("/file.bin"));
    EXPECT_EQ(head.status(), 200);
    EXPECT_EQ(head.header("Content-Length"), "100000");
    EXPECT_TRUE(head.body().isEmpty());
}

TEST_F(FaultServerTest, ServesHeaderLikeBodyVerbatim)
{
    const RawHttpReply reply = get(QStringLiteral("/header-text.txt"));
    EXPECT_EQ(reply.status(), 200);
    EXPECT_TRUE(reply.header("Location").isNull());
    EXPECT_EQ(reply.body(), ServedFiles::headerText());
}

TEST_F(FaultServerTest, Http10RequestGetsTheFileAndAClose)
{
    const RawHttpReply reply = RawHttpClient(server.port()).send("GET /file.bin HTTP/1.0\r\n\r\n");
    EXPECT_EQ(reply.ending(), Ending::Closed);
    EXPECT_EQ(reply.header("Connection"), "close");
    EXPECT_EQ(reply.body(), file());
}

TEST_F(FaultServerTest, KeepsTheConnectionForASecondRequest)
{
    const QByteArray request = "GET /header-text.txt HTTP/1.1\r\nHost: x\r\n\r\n";
    const QByteArray last = "GET /header-text.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const RawHttpReply reply = RawHttpClient(server.port()).send(request + last);
    EXPECT_EQ(reply.ending(), Ending::Closed);
    EXPECT_EQ(reply.bytes().count("HTTP/1.1 200 OK\r\n"), 2);
}

TEST_F(FaultServerTest, LogsEachRequestWithItsRange)
{
    get(QStringLiteral("/file.bin"), "Range: bytes=0-99\r\nUser-Agent: KEVA\r\n");
    get(QStringLiteral("/close-after/10/file.bin"), "Range: bytes=100-\r\n");
    RawHttpClient(server.port()).request("HEAD", QStringLiteral("/file.bin"));

    const QList<AccessLogEntry> log = server.accessLog(3);
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log.at(0).request, QStringLiteral("GET /file.bin HTTP/1.1"));
    EXPECT_EQ(log.at(0).range, QStringLiteral("bytes=0-99"));
    EXPECT_EQ(log.at(0).userAgent, QStringLiteral("KEVA"));
    EXPECT_EQ(log.at(1).target(), QStringLiteral("/close-after/10/file.bin"));
    EXPECT_EQ(log.at(1).range, QStringLiteral("bytes=100-"));
    EXPECT_EQ(log.at(2).method(), QStringLiteral("HEAD"));
    EXPECT_TRUE(log.at(2).range.isEmpty());
}

} // namespace
