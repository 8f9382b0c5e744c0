#include "fileshare/ContentTypeLookup.h"
#include "fileshare/SiteService.h"

#include "RawClient.h"
#include "platform/InstanceLock.h"
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
    RawClient client(service->port());
    ASSERT_TRUE(client.send("GET /a.txt HTTP/1.1\r\n\r\nHEAD /a.txt HTTP/1.1\r\n\r\nGET /none HTTP/1.1\r\n"
                            "Connection: close\r\n\r\n"));
    const std::string answers = client.readUntilClosed();
    const std::size_t first = answers.find("HTTP/1.1 200 OK");
    const std::size_t second = answers.find("HTTP/1.1 200 OK", first + 1);
    const std::size_t third = answers.find("HTTP/1.1 404 Not Found");
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_NE(third, std::string::npos);
    EXPECT_NE(answers.find("\r\n\r\naaaaHTTP/1.1 200 OK"), std::string::npos);
}

TEST_F(HttpServerTest, ASlowClientDoesNotHoldUpOthers)
{
    RawClient slow(service->port());
    ASSERT_TRUE(slow.send("GET /big.bin HTTP/1.1\r\n\r\n"));
    slow.readAtLeast(1000, 1000); // takes a little, then stops reading
    RawClient trickle(service->port());
    ASSERT_TRUE(trickle.send("GET /a.tx"));
    const std::string answer = RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(answer.substr(answer.size() - 4), "aaaa");
}

TEST_F(HttpServerTest, IdleAndStalledConnectionsAreClosedAfterTheTimeout)
{
    RawClient idle(service->port());
    RawClient trickle(service->port());
    ASSERT_TRUE(trickle.send("GET / HTTP/1.1\r\n"));
    EXPECT_TRUE(idle.closedWithin(3000));
    EXPECT_TRUE(trickle.closedWithin(3000));
}

TEST_F(HttpServerTest, OversizedHeadGets400AndTheConnectionCloses)
{
    RawClient client(service->port());
    client.send("GET / HTTP/1.1\r\nX-Long: " + std::string(64 * 1024, 'x') + "\r\n\r\n");
    const std::string answer = client.readUntilClosed();
    EXPECT_EQ(answer.substr(0, 24), "HTTP/1.1 400 Bad Request");
}

TEST_F(HttpServerTest, GarbageNeverStopsTheServer)
{
    const std::string garbage[] = {std::string("\0\0\0\0", 4), "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03",
                                   "GET\r\n\r\n", "  \r\n\r\n", "GET / HTTP/1.1\r\nHost\r\n\r\n",
                                   "GET / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n",
                                   "GET /%%%% HTTP/1.1\r\n\r\n", "GET /" + std::string(100000, '/') + " HTTP/1.1\r\n\r\n"};
    for (const std::string& bytes : garbage) {
        RawClient client(service->port());
        client.send(bytes);
        client.readUntilClosed(1000);
    }
    const std::string answer = RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
}

TEST_F(HttpServerTest, EveryAnswerIsLoggedOnItsOwnLine)
{
    RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n");
    RawClient::exchange(service->port(), "GET /a%0a.txt\x01 HTTP/1.0\r\n\r\n");
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
    EXPECT_FALSE(RawClient(port).connected());
    std::vector<PublishedFolder> folders(1);
    folders[0].path = home.path(QStringLiteral("site")).toStdString();
    folders[0].alias = "/";
    std::error_code error;
    ASSERT_TRUE(service->start(folders, "127.0.0.1", port, error)) << error.message();
    EXPECT_EQ(RawClient::exchange(port, "GET /a.txt HTTP/1.0\r\n\r\n").substr(0, 15), "HTTP/1.1 200 OK");
    SiteService second(types, {});
    EXPECT_FALSE(second.start(folders, "127.0.0.1", port, error));
    EXPECT_EQ(error, std::errc::address_in_use);
}

// Caps small enough for a test, and a time-out no test reaches, so only the
// caps close connections.
ServerLimits smallCaps(std::size_t total, std::size_t perAddress)
{
    ServerLimits limits;
    limits.timeoutMs = 600000;
    limits.maxConnections = total;
    limits.maxConnectionsPerAddress = perAddress;
    return limits;
}

bool answeredWithA(const std::string& answer)
{
    return answer.starts_with("HTTP/1.1 200 OK\r\n") && answer.ends_with("\r\n\r\naaaa");
}

TEST_F(HttpServerTest, OneAddressCannotTakeEveryConnection)
{
    serve(smallCaps(6, 3));
    // Connections are accepted in the order they were made: the first three
    // from 127.0.0.2 are kept, the others closed.
    std::vector<std::unique_ptr<RawClient>> silent;
    for (int i = 0; i < 8; ++i) {
        silent.push_back(std::make_unique<RawClient>(service->port(), "127.0.0.2"));
        ASSERT_TRUE(silent.back()->connected());
    }
    EXPECT_TRUE(answeredWithA(RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n", "127.0.0.3")));
    for (std::size_t i = 0; i < silent.size(); ++i) {
        const bool kept = i < 3;
        silent[i]->send("GET /a.txt HTTP/1.0\r\n\r\n");
        const std::string answer = silent[i]->readUntilClosed();
        EXPECT_EQ(answeredWithA(answer), kept) << i << ": " << answer;
        if (!kept) {
            EXPECT_EQ(answer, "") << i;
        }
    }
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
    RawClient busy(service->port(), "127.0.0.2");
    ASSERT_TRUE(busy.send("GET /huge.bin HTTP/1.0\r\n\r\n"));
    std::string download = busy.readAtLeast(1);
    ASSERT_FALSE(download.empty());
    // Three silent clients fill the server.
    std::vector<std::unique_ptr<RawClient>> silent;
    for (const char* from : {"127.0.0.3", "127.0.0.4", "127.0.0.5"})
        silent.push_back(std::make_unique<RawClient>(service->port(), from));

    // New clients are served, a closed silent one making room when the
    // server is full; the oldest silent one goes first.
    const std::string first = RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n", "127.0.0.6");
    EXPECT_TRUE(answeredWithA(first));
    EXPECT_TRUE(silent[0]->closedWithin(3000));
    // A connection kept open after its answer waits like a silent one, but it
    // is younger than the silent ones.
    RawClient keepAlive(service->port(), "127.0.0.7");
    ASSERT_TRUE(keepAlive.send("GET /a.txt HTTP/1.1\r\n\r\n"));
    // The same answer as the first one's: neither names its connection.
    EXPECT_TRUE(answeredWithA(keepAlive.readAtLeast(first.size())));
    EXPECT_TRUE(answeredWithA(RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n", "127.0.0.8")));
    EXPECT_TRUE(silent[1]->closedWithin(3000));

    ASSERT_TRUE(silent[2]->send("GET /a.txt HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(answeredWithA(silent[2]->readUntilClosed()));
    ASSERT_TRUE(keepAlive.send("GET /a.txt HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(answeredWithA(keepAlive.readUntilClosed()));

    download += busy.readUntilClosed();
    const std::size_t headEnd = download.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    const QByteArray body = QByteArray::fromStdString(download.substr(headEnd + 4));
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
    const std::string request = "GET /a.txt HTTP/1.1\r\n\r\n";
    const std::string answer = RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(answeredWithA(answer));
    const auto ask = [&](RawClient& client) {
        // The same answer as the first one's: neither names its connection.
        return client.send(request) && answeredWithA(client.readAtLeast(answer.size()));
    };
    RawClient used(service->port(), "127.0.0.2");
    RawClient older(service->port(), "127.0.0.3");
    RawClient younger(service->port(), "127.0.0.4");
    ASSERT_TRUE(ask(used));
    ASSERT_TRUE(ask(older));
    ASSERT_TRUE(ask(younger));
    ASSERT_TRUE(ask(used));

    EXPECT_TRUE(answeredWithA(RawClient::exchange(service->port(), "GET /a.txt HTTP/1.0\r\n\r\n", "127.0.0.5")));
    EXPECT_TRUE(older.closedWithin(3000));
    EXPECT_TRUE(ask(used));
    EXPECT_TRUE(ask(younger));
}

TEST(InstanceLock, ASecondCopyFindsTheLockHeld)
{
    TestHome home;
    const InstanceLock first(QStringLiteral("oneInstanceMutextKelVantrel"));
    EXPECT_FALSE(first.heldElsewhere());
    {
        const InstanceLock second(QStringLiteral("oneInstanceMutextKelVantrel"));
        EXPECT_TRUE(second.heldElsewhere());
    }
    const InstanceLock other(QStringLiteral("another"));
    EXPECT_FALSE(other.heldElsewhere());
}

} // namespace
