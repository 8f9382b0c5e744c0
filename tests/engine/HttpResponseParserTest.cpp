#include "engine/HttpResponseParser.h"

#include "support/CaseName.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct ParseResult {
    int status = 0;
    QByteArray body;
    HttpResponseParser::State state = HttpResponseParser::State::Headers;
    int headerCallbacks = 0;
};

// Feeds `wire` in pieces of `piece` bytes, as a connection would deliver it.
ParseResult parse(const QByteArray& wire, qsizetype piece, bool head = false, bool closeAtEnd = false)
{
    HttpResponseParser parser;
    parser.reset(head);
    ParseResult result;
    for (qsizetype at = 0; at < wire.size();) {
        const qsizetype size = std::min(piece, wire.size() - at);
        qsizetype offset = 0;
        while (offset < size) {
            const bool hadHeader = parser.headersDone();
            const qsizetype used = parser.feed(wire.constData() + at + offset, size - offset,
                                               [&](const char* data, qsizetype n) { result.body.append(data, n); });
            if (!hadHeader && parser.headersDone())
                ++result.headerCallbacks;
            offset += used;
            if (used == 0 || parser.state() == HttpResponseParser::State::Complete
                || parser.state() == HttpResponseParser::State::Failed)
                break;
        }
        if (parser.state() == HttpResponseParser::State::Complete
            || parser.state() == HttpResponseParser::State::Failed)
            break;
        at += size;
    }
    if (closeAtEnd)
        parser.connectionClosed();
    result.status = parser.statusCode();
    result.state = parser.state();
    return result;
}

struct ParserCase {
    const char* name;
    QByteArray wire;
    bool head;
    bool closeAtEnd;
    int status;
    QByteArray body;
    HttpResponseParser::State state;
};

class HttpResponseParserCases : public testing::TestWithParam<ParserCase> { };

TEST_P(HttpResponseParserCases, ReadsTheResponseHoweverItIsSplit)
{
    const ParserCase& c = GetParam();
    for (const qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(7), qsizetype(4096)}) {
        const ParseResult result = parse(c.wire, piece, c.head, c.closeAtEnd);
        EXPECT_EQ(result.status, c.status) << "pieces of " << piece;
        EXPECT_EQ(result.body, c.body) << "pieces of " << piece;
        EXPECT_EQ(result.state, c.state) << "pieces of " << piece;
        EXPECT_LE(result.headerCallbacks, 1);
    }
}

using State = HttpResponseParser::State;
const QByteArray kHeaderLikeBody = "Content-Type: text/html\r\nLocation: /elsewhere\r\n\r\nHTTP/1.1 200 OK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpResponseParserCases,
    testing::Values(
        ParserCase {"ContentLength", "HTTP/1.1 206 Partial Content\r\nContent-Length: 5\r\n\r\nhelloEXTRA", false,
                    false, 206, "hello", State::Complete},
        ParserCase {"BodyThatLooksLikeHeaders",
                    "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(kHeaderLikeBody.size()) + "\r\n\r\n"
                        + kHeaderLikeBody,
                    false, false, 200, kHeaderLikeBody, State::Complete},
        ParserCase {"Chunked",
                    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4;ext=1\r\nWiki\r\n5\r\npedia\r\nE\r\n "
                    "in\r\n\r\nchunks.\r\n0\r\nX-Trailer: 1\r\n\r\n",
                    false, false, 200, "Wikipedia in\r\n\r\nchunks.", State::Complete},
        ParserCase {"ChunkedCutShort", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", false, true,
                    200, "hel", State::Failed},
        ParserCase {"CloseDelimited", "HTTP/1.0 200 OK\r\nContent-Type: x\r\n\r\nall of it", false, true, 200,
                    "all of it", State::Complete},
        ParserCase {"ContentLengthCutShort", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", false, true, 200,
                    "abc", State::Failed},
        ParserCase {"HeadHasNoBody",
                    "HTTP/1.1 206 Partial Content\r\nContent-Length: 1000\r\nContent-Range: bytes 0-999/1000\r\n\r\n",
                    true, false, 206, "", State::Complete},
        ParserCase {"InterimReplySkipped",
                    "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false, false, 200,
                    "ok", State::Complete},
        ParserCase {"NotHttp", "SSH-2.0-OpenSSH\r\n\r\n", false, false, 0, "", State::Failed},
        ParserCase {"BadLength", "HTTP/1.1 200 OK\r\nContent-Length: lots\r\n\r\n", false, false, 200, "",
                    State::Failed},
        ParserCase {"BadChunkSize", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, false, 200,
                    "", State::Failed},
        ParserCase {"ErrorWithBody", "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 4\r\n\r\nbusy", false, false,
                    503, "busy", State::Complete}),
    CaseName());

TEST(HttpResponseParser, HeadersAreReadByName)
{
    HttpResponseParser parser;
    parser.reset(true);
    const QByteArray wire = "HTTP/1.1 302 Found\r\nlocation: /next\r\nX-Empty:\r\nWWW-Authenticate: Digest a=1\r\n"
                            "Content-Range: bytes 0-9/10\r\nwww-authenticate: Basic\r\n\r\n";
    parser.feed(wire.constData(), wire.size(), [](const char*, qsizetype) {});
    EXPECT_EQ(parser.statusCode(), 302);
    EXPECT_EQ(parser.reasonPhrase(), QStringLiteral("Found"));
    EXPECT_EQ(parser.header("Location"), QByteArray("/next"));
    EXPECT_EQ(parser.header("x-empty"), QByteArray());
    EXPECT_FALSE(parser.header("Content-Length"));
    EXPECT_EQ(parser.headers("WWW-Authenticate"), QList<QByteArray>({"Digest a=1", "Basic"}));
    EXPECT_EQ(parser.headers("Content-Length"), QList<QByteArray>());
    EXPECT_EQ(parser.headerText(), wire.left(wire.size() - 4));
}

TEST(HttpResponseParser, RefusesAnEndlessHeader)
{
    HttpResponseParser parser;
    parser.reset(false);
    const QByteArray line = "X-Filler: " + QByteArray(1000, 'x') + "\r\n";
    parser.feed("HTTP/1.1 200 OK\r\n", 17, [](const char*, qsizetype) {});
    for (int i = 0; i < 100 && parser.state() == HttpResponseParser::State::Headers; ++i)
        parser.feed(line.constData(), line.size(), [](const char*, qsizetype) {});
    EXPECT_EQ(parser.state(), HttpResponseParser::State::Failed);
}

} // namespace
