#include "fileshare/http/ContentTypeLookup.h"
#include "fileshare/http/SiteService.h"

#include "support/CaseName.h"
#include "support/RawHttpClient.h"
#include "support/TestHome.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <mutex>

namespace {

// A server in this process, on a free loopback port, with a short time-out.
class HttpServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        home.writeFile(QStringLiteral("site/a.txt"), "aaaa");
        home.writeFile(QStringLiteral("site/big.bin"), QByteArray(4 * 1024 * 1024, 'b'));
        ServerLimits limits;
        limits.timeoutMs = 400;
        serve(limits);
    }

    // Replaces the running server with one that keeps to `limits`.
    void serve(const ServerLimits& limits)
    {
        std::vector<PublishedFolder> folders(1);
        folders[0].path = home.path(QStringLiteral("site")).toStdString();
        folders[0].alias = "/";
        service.reset();
        service = std::make_unique<SiteService>(
            types,
            [this](std::string batch) {
                const std::lock_guard guard(lock);
                log += batch;
            },
            limits);
        std::error_code error;
        ASSERT_TRUE(service->start(folders, "127.0.0.1", 0, error)) << error.message();
    }

    std::string logText()
    {
        const std::lock_guard guard(lock);
        return log;
    }

    TestHome home;
    ContentTypeLookup types {home.registryFolder()};
    std::mutex lock;
    std::string log;
    // Last, so it stops before what its log sink writes to goes away.
    std::unique_ptr<SiteService> service;
};

TEST_F(HttpServerTest, PipelinedRequestsAreAnsweredInOrder)
{
    RawHttpClient client(service->port());
    ASSERT_TRUE(client.write("GET /a.txt HTTP/1.1\r\n\r\nHEAD /a.txt HTTP/1.1\r\n\r\nGET /none HTTP/1.1\r\n"
                             "Connection: close\r\n\r\n"));
    const QByteArray answers = client.readUntilClosed();
    const qsizetype first = answers.indexOf("HTTP/1.1 200 OK");
    const qsizetype second = answers.indexOf("HTTP/1.1 200 OK", first + 1);
    const qsizetype third = answers.indexOf("HTTP/1.1 404 Not Found");
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_TRUE(answers.contains("\r\n\r\naaaaHTTP/1.1 200 OK"));
}

TEST_F(HttpServerTest, ASlowClientDoesNotHoldUpOthers)
{
    RawHttpClient slow(service->port(), 1000);
    ASSERT_TRUE(slow.write("GET /big.bin HTTP/1.1\r\n\r\n"));
    slow.readAtLeast(1000); // takes a little, then stops reading
    RawHttpClient trickle(service->port());
    ASSERT_TRUE(trickle.write("GET /a.tx"));
    const QByteArray answer = RawHttpClient(service->port()).send("GET /a.txt HTTP/1.0\r\n\r\n").bytes();
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 200 OK"));
    EXPECT_TRUE(answer.endsWith("aaaa"));
}

TEST_F(HttpServerTest, IdleAndStalledConnectionsAreClosedAfterTheTimeout)
{
    RawHttpClient idle(service->port());
    RawHttpClient trickle(service->port());
    ASSERT_TRUE(trickle.write("GET / HTTP/1.1\r\n"));
    EXPECT_TRUE(idle.closedWithin());
    EXPECT_TRUE(trickle.closedWithin());
}

// Requests answered on a connection the server then closes, each sent in one
// write: the client gets the whole answer and then the end of the connection,
// never a reset, also when the server did not need the rest of the request.
struct ClosingCase {
    const char* name;
    QByteArray request;
    int status;
    QByteArray body = {}; // the exact body, when given
};

class ClosingAnswers : public HttpServerTest, public testing::WithParamInterface<ClosingCase> { };

TEST_P(ClosingAnswers, ReachTheClient)
{
    const ClosingCase& c = GetParam();
    serve(ServerLimits());
    const RawHttpReply reply = RawHttpClient(service->port(), 10000).send(c.request);
    EXPECT_EQ(reply.status(), c.status) << reply.bytes().left(300).toStdString();
    EXPECT_TRUE(reply.ending() == RawHttpReply::Ending::Closed) << static_cast<int>(reply.ending());
    if (!c.body.isEmpty()) {
        EXPECT_EQ(reply.body(), c.body);
    }
}

QByteArray withBody(qsizetype size)
{
    return "GET /a.txt HTTP/1.1\r\nContent-Length: " + QByteArray::number(size) + "\r\n\r\n" + QByteArray(size, 'z');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClosingAnswers,
    testing::Values(ClosingCase {"Http19", "GET /a.txt HTTP/1.9\r\nHost: x\r\n\r\n", 505},
                    ClosingCase {"Http2", "GET /a.txt HTTP/2.0\r\n\r\n", 505},
                    ClosingCase {"HundredKilobyteHeader",
                                 "GET /a.txt HTTP/1.1\r\nX-Long: " + QByteArray(100 * 1024, 'x') + "\r\n\r\n", 400},
                    ClosingCase {"TenThousandHeaders",
                                 "GET /a.txt HTTP/1.1\r\n" + QByteArray("X: y\r\n").repeated(10000) + "\r\n", 400},
                    ClosingCase {"GetWith64KilobyteBody", withBody(64 * 1024), 200, "aaaa"},
                    ClosingCase {"GetWithOneMegabyteBody", withBody(1024 * 1024), 200, "aaaa"}),
    CaseName());

TEST_F(HttpServerTest, GarbageNeverStopsTheServer)
{
    const QByteArray garbage[] = {QByteArray("\0\0\0\0", 4),
                                  QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11),
                                  "GET\r\n\r\n",
                                  "  \r\n\r\n",
                                  "GET / HTTP/1.1\r\nHost\r\n\r\n",
                                  "GET / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n",
                                  "GET /%%%% HTTP/1.1\r\n\r\n",
                                  "GET /" + QByteArray(100000, '/') + " HTTP/1.1\r\n\r\n"};
    for (const QByteArray& bytes : garbage) {
        RawHttpClient client(service->port(), 1000);
        client.write(bytes);
        client.readUntilClosed();
    }
    EXPECT_TRUE(
        RawHttpClient(service->port()).send("GET /a.txt HTTP/1.0\r\n\r\n").bytes().startsWith("HTTP/1.1 200 OK"));
}

TEST_F(HttpServerTest, EveryAnswerIsLoggedOnItsOwnLine)
{
    RawHttpClient(service->port()).send("GET /a.txt HTTP/1.0\r\n\r\n");
    RawHttpClient(service->port()).send("GET /a%0a.txt\x01 HTTP/1.0\r\n\r\n");
    std::string text;
    for (int i = 0; i < 100 && std::count(text.begin(), text.end(), '\n') < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        text = logText();
    }
    EXPECT_NE(text.find("127.0.0.1 - - ["), std::string::npos);
    EXPECT_NE(text.find("] \"GET /a.txt HTTP/1.0\" 200 4\r\n"), std::string::npos);
    EXPECT_NE(text.find("] \"GET /a%0a.txt\\x01 HTTP/1.0\" 400 "), std::string::npos) << text;
}

TEST_F(HttpServerTest, RestartsOnTheSamePort)
{
    const std::uint16_t port = service->port();
    service->stop();
    EXPECT_FALSE(RawHttpClient(port).connected());
    std::vector<PublishedFolder> folders(1);
    folders[0].path = home.path(QStringLiteral("site")).toStdString();
    folders[0].alias = "/";
    std::error_code error;
    ASSERT_TRUE(service->start(folders, "127.0.0.1", port, error)) << error.message();
    EXPECT_TRUE(RawHttpClient(port).send("GET /a.txt HTTP/1.0\r\n\r\n").bytes().startsWith("HTTP/1.1 200 OK"));
    SiteService second(types, {});
    EXPECT_FALSE(second.start(folders, "127.0.0.1", port, error));
    EXPECT_EQ(error, std::errc::address_in_use);
}

// Caps small enough for a test, and time-outs no test reaches, so only the
// caps close connections.
ServerLimits smallCaps(std::size_t total, std::size_t perAddress)
{
    ServerLimits limits;
    limits.timeoutMs = 600000;
    limits.headTimeoutMs = 600000;
    limits.maxConnections = total;
    limits.maxConnectionsPerAddress = perAddress;
    return limits;
}

bool answeredWithA(const QByteArray& answer)
{
    return answer.startsWith("HTTP/1.1 200 OK\r\n") && answer.endsWith("\r\n\r\naaaa");
}

// One request on a fresh connection from `from`; the whole answer.
QByteArray exchangeFrom(std::uint16_t port, const char* from, const QByteArray& request = "GET /a.txt HTTP/1.0\r\n\r\n")
{
    return RawHttpClient(port, 3000, from).send(request).bytes();
}

TEST_F(HttpServerTest, OneAddressCannotTakeEveryConnection)
{
    serve(smallCaps(6, 3));
    // Connections are accepted in the order they were made: the first three
    // from 127.0.0.2 are kept, the others closed.
    std::vector<std::unique_ptr<RawHttpClient>> silent;
    for (int i = 0; i < 8; ++i) {
        silent.push_back(std::make_unique<RawHttpClient>(service->port(), 3000, "127.0.0.2"));
        ASSERT_TRUE(silent.back()->connected());
    }
    EXPECT_TRUE(answeredWithA(exchangeFrom(service->port(), "127.0.0.3")));
    for (std::size_t i = 0; i < silent.size(); ++i) {
        const bool kept = i < 3;
        silent[i]->write("GET /a.txt HTTP/1.0\r\n\r\n");
        const QByteArray answer = silent[i]->readUntilClosed();
        EXPECT_EQ(answeredWithA(answer), kept) << i << ": " << answer.toStdString();
        if (!kept) {
            EXPECT_EQ(answer, QByteArray()) << i;
        }
    }
}

// A request head that is not complete within its own time-out closes the
// connection, long before the time-out of a silent one.
TEST_F(HttpServerTest, AnUnfinishedHeadIsClosedWithinItsOwnTimeout)
{
    ServerLimits limits = smallCaps(16, 16);
    limits.headTimeoutMs = 300;
    serve(limits);
    RawHttpClient silent(service->port());
    RawHttpClient unfinished(service->port(), 10000);
    ASSERT_TRUE(unfinished.write("GET /a.txt HTTP/1.1\r\nHost: x\r\n"));
    EXPECT_TRUE(unfinished.closedWithin());
    ASSERT_TRUE(silent.write("GET /a.txt HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(answeredWithA(silent.readUntilClosed()));
}

// Connections that have sent part of a request head make room first, before
// those that wait for a request, the oldest head first.
TEST_F(HttpServerTest, UnfinishedHeadsMakeRoomFirst)
{
    serve(smallCaps(3, 3));
    RawHttpClient silent(service->port(), 3000, "127.0.0.2");
    RawHttpClient older(service->port(), 3000, "127.0.0.3");
    RawHttpClient younger(service->port(), 3000, "127.0.0.4");
    ASSERT_TRUE(older.write("GET /a.txt HTTP/1.0\r\n"));
    ASSERT_TRUE(younger.write("GET /a.txt HTTP/1.0\r\n"));
    EXPECT_TRUE(answeredWithA(exchangeFrom(service->port(), "127.0.0.5")));
    EXPECT_TRUE(older.closedWithin());
    ASSERT_TRUE(younger.write("\r\n"));
    EXPECT_TRUE(answeredWithA(younger.readUntilClosed()));
    ASSERT_TRUE(silent.write("GET /a.txt HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(answeredWithA(silent.readUntilClosed()));
}

// A connection lingering after its last answer makes room before one that
// waits for a request.
TEST_F(HttpServerTest, ALingeringConnectionMakesRoomFirst)
{
    serve(smallCaps(2, 2));
    RawHttpClient waiting(service->port(), 3000, "127.0.0.2");
    RawHttpClient lingering(service->port(), 3000, "127.0.0.3");
    ASSERT_TRUE(lingering.write("GET /a.txt HTTP/1.0\r\n\r\n"));
    ASSERT_TRUE(answeredWithA(lingering.readUntilClosed()));
    EXPECT_TRUE(answeredWithA(exchangeFrom(service->port(), "127.0.0.4")));
    ASSERT_TRUE(waiting.write("GET /a.txt HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(answeredWithA(waiting.readUntilClosed()));
}

TEST_F(HttpServerTest, SilentConnectionsMakeRoomForNewClients)
{
    QByteArray huge(32 * 1024 * 1024, '\0');
    for (int i = 0; i < huge.size(); i += 4096)
        huge[i] = static_cast<char>(i / 4096);
    home.writeFile(QStringLiteral("site/huge.bin"), huge);
    serve(smallCaps(4, 4));

    // A download in progress, which no new client may push out: far more than
    // the socket buffers hold, so the server is still writing it.
    RawHttpClient busy(service->port(), 3000, "127.0.0.2");
    ASSERT_TRUE(busy.write("GET /huge.bin HTTP/1.0\r\n\r\n"));
    QByteArray download = busy.readAtLeast(1);
    ASSERT_FALSE(download.isEmpty());
    // Three silent clients fill the server.
    std::vector<std::unique_ptr<RawHttpClient>> silent;
    for (const char* from : {"127.0.0.3", "127.0.0.4", "127.0.0.5"})
        silent.push_back(std::make_unique<RawHttpClient>(service->port(), 3000, from));

    // New clients are served, a closed silent one making room when the
    // server is full; the oldest silent one goes first.
    const QByteArray first = exchangeFrom(service->port(), "127.0.0.6");
    EXPECT_TRUE(answeredWithA(first));
    EXPECT_TRUE(silent[0]->closedWithin());
    // A connection kept open after its answer waits like a silent one, but it
    // is younger than the silent ones.
    RawHttpClient keepAlive(service->port(), 3000, "127.0.0.7");
    ASSERT_TRUE(keepAlive.write("GET /a.txt HTTP/1.1\r\n\r\n"));
    // The same answer as the first one's: neither names its connection.
    EXPECT_TRUE(answeredWithA(keepAlive.readAtLeast(first.size())));
    EXPECT_TRUE(answeredWithA(exchangeFrom(service->port(), "127.0.0.8")));
    EXPECT_TRUE(silent[1]->closedWithin());

    ASSERT_TRUE(silent[2]->write("GET /a.txt HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(answeredWithA(silent[2]->readUntilClosed()));
    ASSERT_TRUE(keepAlive.write("GET /a.txt HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(answeredWithA(keepAlive.readUntilClosed()));

    download += busy.readUntilClosed();
    const qsizetype headEnd = download.indexOf("\r\n\r\n");
    ASSERT_GE(headEnd, 0);
    const QByteArray body = download.mid(headEnd + 4);
    EXPECT_EQ(QCryptographicHash::hash(body, QCryptographicHash::Sha256),
              QCryptographicHash::hash(huge, QCryptographicHash::Sha256));
}

// Room is made from the connection that has waited longest since anything
// happened on it, so a client that keeps using its connection keeps it. Each
// client reads its answer before the next step, so the server has seen every
// step in this order.
TEST_F(HttpServerTest, AConnectionInUseOutlivesOlderWaitingOnes)
{
    serve(smallCaps(3, 3));
    const QByteArray request = "GET /a.txt HTTP/1.1\r\n\r\n";
    const QByteArray answer = RawHttpClient(service->port()).send("GET /a.txt HTTP/1.0\r\n\r\n").bytes();
    ASSERT_TRUE(answeredWithA(answer));
    const auto ask = [&](RawHttpClient& client) {
        // The same answer as the first one's: neither names its connection.
        return client.write(request) && answeredWithA(client.readAtLeast(answer.size()));
    };
    RawHttpClient used(service->port(), 3000, "127.0.0.2");
    RawHttpClient older(service->port(), 3000, "127.0.0.3");
    RawHttpClient younger(service->port(), 3000, "127.0.0.4");
    ASSERT_TRUE(ask(used));
    ASSERT_TRUE(ask(older));
    ASSERT_TRUE(ask(younger));
    ASSERT_TRUE(ask(used));

    EXPECT_TRUE(answeredWithA(exchangeFrom(service->port(), "127.0.0.5")));
    EXPECT_TRUE(older.closedWithin());
    EXPECT_TRUE(ask(used));
    EXPECT_TRUE(ask(younger));
}

} // namespace
