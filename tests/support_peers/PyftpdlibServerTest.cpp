#include "RawFtpClient.h"
#include "ServedFiles.h"

#include "support/CaseName.h"
#include "support/PeerRequirement.h"
#include "support/PyftpdlibServer.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>

#include <functional>

// ftp_server.py misbehaves exactly as the path or its flags ask, and the
// misbehaviour shows on the wire.
namespace {

using Kind = RawFtpClient::Event::Kind;
using Events = QList<RawFtpClient::Event>;

const QByteArray kUserBytes = "kevatest";
const QByteArray kPasswordBytes = "s3cret";

qsizetype indexOf(const Events& events, const std::function<bool(const RawFtpClient::Event&)>& wanted)
{
    const auto found = std::find_if(events.begin(), events.end(), wanted);
    return found == events.end() ? -1 : found - events.begin();
}

qsizetype lastDataIndex(const Events& events)
{
    const auto found = std::find_if(events.rbegin(), events.rend(),
                                    [](const RawFtpClient::Event& event) { return event.kind == Kind::Data; });
    return events.rend() - found - 1;
}

qsizetype replyIndex(const Events& events, int code)
{
    return indexOf(events, [code](const RawFtpClient::Event& event) {
        return event.kind == Kind::Reply && event.reply.code == code;
    });
}

class PyftpdlibServerTest : public testing::Test {
protected:
    void SetUp() override { server.setUser(QString::fromLatin1(kUserBytes), QString::fromLatin1(kPasswordBytes)); }

    // Logs in anonymously in binary mode and opens a passive data connection.
    void prepareTransfer(RawFtpClient& client)
    {
        ASSERT_EQ(client.reply().code, 220);
        ASSERT_EQ(client.login("anonymous", "guest").code, 230);
        ASSERT_EQ(client.command("TYPE I").code, 200);
        ASSERT_EQ(client.enterPassive().code, 227);
    }

    ServedFiles files;
    PyftpdlibServer server {files.folder()};
};

struct LoginCase {
    std::string name;
    QByteArray user;
    QByteArray password;
    int code;
};

class PyftpdlibServerLoginTest : public PyftpdlibServerTest, public testing::WithParamInterface<LoginCase> { };

TEST_P(PyftpdlibServerLoginTest, AnswersTheLogin)
{
    const LoginCase& row = GetParam();
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    ASSERT_EQ(client.reply().code, 220);
    EXPECT_EQ(client.login(row.user, row.password).code, row.code);
}

INSTANTIATE_TEST_SUITE_P(Cases, PyftpdlibServerLoginTest,
                         testing::Values(LoginCase {"Anonymous", "anonymous", "guest", 230},
                                         LoginCase {"NamedUser", kUserBytes, kPasswordBytes, 230},
                                         LoginCase {"WrongPassword", kUserBytes, "wrong", 530},
                                         LoginCase {"UnknownUser", "nobody", kPasswordBytes, 530}),
                         CaseName());

// The shape of a transfer: what comes first, what the 150 says, where the
// 226 falls, pauses. What arrives at once on both connections may be read in
// either order, so "before" means a pause of kApart at least.
constexpr qint64 kApart = 150;

struct TransferCase {
    std::string name;
    QByteArray path;
    bool dataBefore150;
    bool sizeIn150;
    bool replyBeforeDataEnds; // the 226 arrives while the data connection still delivers
    qint64 longestPause;      // milliseconds between data reads, at least
};

class PyftpdlibServerTransferTest : public PyftpdlibServerTest, public testing::WithParamInterface<TransferCase> { };

TEST_P(PyftpdlibServerTransferTest, ShapesTheTransfer)
{
    const TransferCase& row = GetParam();
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    prepareTransfer(client);

    const RawFtpClient::Retrieval retrieval = client.retrieve(row.path);
    EXPECT_EQ(retrieval.data, ServedFiles::data());
    EXPECT_EQ(retrieval.finalCode, 226);
    const Events& events = retrieval.events;
    const qsizetype opening = replyIndex(events, 150);
    const qsizetype closing = replyIndex(events, 226);
    const qsizetype firstData = indexOf(events, [](const auto& event) { return event.kind == Kind::Data; });
    const qsizetype lastData = lastDataIndex(events);
    ASSERT_GE(opening, 0);
    ASSERT_GE(closing, 0);
    ASSERT_GE(firstData, 0);
    EXPECT_EQ(events.at(opening).milliseconds - events.at(firstData).milliseconds >= kApart, row.dataBefore150);
    EXPECT_EQ(events.at(opening).reply.lines.contains("(100000 bytes)"), row.sizeIn150)
        << events.at(opening).reply.lines.toStdString();
    EXPECT_EQ(events.at(lastData).milliseconds - events.at(closing).milliseconds >= kApart, row.replyBeforeDataEnds);
    qint64 longestPause = 0;
    for (qsizetype i = firstData + 1; i <= lastData; ++i)
        longestPause = std::max(longestPause, events.at(i).milliseconds - events.at(i - 1).milliseconds);
    EXPECT_GE(longestPause, row.longestPause);
}

INSTANTIATE_TEST_SUITE_P(Cases, PyftpdlibServerTransferTest,
                         testing::Values(TransferCase {"Plain", "/file.bin", false, true, false, 0},
                                         TransferCase {"NoSize", "/no-size/file.bin", false, false, false, 0},
                                         TransferCase {"DataFirst", "/data-first/file.bin", true, true, false, kApart},
                                         TransferCase {"Early226", "/early-226/file.bin", false, true, true, kApart},
                                         TransferCase {"Stall", "/stall/1000/300/file.bin", false, true, false, 250},
                                         TransferCase {"WordsCombined", "/no-size/data-first/file.bin", true, false,
                                                       false, kApart}),
                         CaseName());

// REST: accepted, or refused by the path's words or by the flag; RETR then starts there or at 0.
struct RestCase {
    std::string name;
    QByteArray path;
    int restReplyFlag; // 0: none
    int code;
    qsizetype firstByte;
};

class PyftpdlibServerRestTest : public PyftpdlibServerTest, public testing::WithParamInterface<RestCase> { };

TEST_P(PyftpdlibServerRestTest, AnswersRestAndStartsThere)
{
    const RestCase& row = GetParam();
    if (row.restReplyFlag != 0)
        server.setRestReply(row.restReplyFlag);
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    prepareTransfer(client);

    EXPECT_EQ(client.command("SIZE " + row.path).lines, "213 100000\r\n");
    EXPECT_EQ(client.command("REST 500").code, row.code);
    const RawFtpClient::Retrieval retrieval = client.retrieve(row.path);
    EXPECT_EQ(retrieval.finalCode, 226);
    EXPECT_EQ(retrieval.data, ServedFiles::data().mid(row.firstByte));
}

INSTANTIATE_TEST_SUITE_P(Cases, PyftpdlibServerRestTest,
                         testing::Values(RestCase {"Accepted", "/file.bin", 0, 350, 500},
                                         RestCase {"Refused550", "/rest-550/file.bin", 0, 550, 0},
                                         RestCase {"Refused504", "/rest-504/file.bin", 0, 504, 0},
                                         RestCase {"RefusedByFlag", "/file.bin", 504, 504, 0}),
                         CaseName());

// RETR refused: no file, no data connection.
struct RefusalCase {
    std::string name;
    QByteArray path;
    int code;
};

class PyftpdlibServerRefusalTest : public PyftpdlibServerTest, public testing::WithParamInterface<RefusalCase> { };

TEST_P(PyftpdlibServerRefusalTest, RefusesTheTransfer)
{
    const RefusalCase& row = GetParam();
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    prepareTransfer(client);

    const RawFtpClient::Retrieval retrieval = client.retrieve(row.path);
    EXPECT_EQ(retrieval.finalCode, row.code);
    EXPECT_EQ(replyIndex(retrieval.events, 150), -1);
    EXPECT_TRUE(retrieval.data.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, PyftpdlibServerRefusalTest,
                         testing::Values(RefusalCase {"MissingFile", "/missing.bin", 550},
                                         RefusalCase {"NoDataConnection", "/no-data/file.bin", 425}),
                         CaseName());

TEST_F(PyftpdlibServerTest, ActivePortToAClosedPortGets425)
{
    KEVA_REQUIRE_PEER(server);
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    RawFtpClient client(server.port());
    ASSERT_EQ(client.reply().code, 220);
    ASSERT_EQ(client.login("anonymous", "guest").code, 230);
    const QByteArray port = QByteArray::number(closedPort / 256) + ',' + QByteArray::number(closedPort % 256);
    EXPECT_EQ(client.command("PORT 127,0,0,1," + port).code, 425);
}

// The 227 reply names the address asked for, while the data port listens on loopback.
struct PassiveAddressCase {
    std::string name;
    QString address;
    QByteArray named;
};

class PyftpdlibServerPassiveAddressTest : public PyftpdlibServerTest,
                                          public testing::WithParamInterface<PassiveAddressCase> { };

TEST_P(PyftpdlibServerPassiveAddressTest, NamesTheAddressAndListensOnLoopback)
{
    const PassiveAddressCase& row = GetParam();
    if (!row.address.isEmpty())
        server.setPassiveAddress(row.address);
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    ASSERT_EQ(client.reply().code, 220);
    ASSERT_EQ(client.login("anonymous", "guest").code, 230);
    ASSERT_EQ(client.command("TYPE I").code, 200);
    const auto named = RawFtpClient::passiveAddress(client.enterPassive());
    ASSERT_TRUE(named.has_value());
    EXPECT_EQ(named->first, row.named);
    EXPECT_EQ(client.retrieve("/file.bin").data, ServedFiles::data());
}

INSTANTIATE_TEST_SUITE_P(Cases, PyftpdlibServerPassiveAddressTest,
                         testing::Values(PassiveAddressCase {"Loopback", {}, "127.0.0.1"},
                                         PassiveAddressCase {"Unspecified", QStringLiteral("0.0.0.0"), "0.0.0.0"},
                                         PassiveAddressCase {"Unreachable", QStringLiteral("10.255.255.1"),
                                                             "10.255.255.1"}),
                         CaseName());

TEST_F(PyftpdlibServerTest, MultiLineGreetingAndLogin)
{
    server.sendMultiLineReplies();
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    const RawFtpClient::Reply greeting = client.reply();
    EXPECT_EQ(greeting.code, 220);
    EXPECT_TRUE(greeting.lines.startsWith("220-"));
    EXPECT_TRUE(greeting.lines.contains("\r\n 220 "));
    EXPECT_EQ(greeting.lines.count("\r\n"), 4);
    const RawFtpClient::Reply login = client.login(kUserBytes, kPasswordBytes);
    EXPECT_EQ(login.code, 230);
    EXPECT_TRUE(login.lines.startsWith("230-"));
    EXPECT_EQ(login.lines.count("\r\n"), 3);
    EXPECT_EQ(client.command("NOOP").code, 200) << "the whole of each reply was read";
}

TEST_F(PyftpdlibServerTest, CoalescedRepliesShareOneWrite)
{
    server.coalesceReplies();
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    ASSERT_EQ(client.reply().code, 220);
    ASSERT_EQ(client.login("anonymous", "guest").code, 230);

    client.send("TYPE I\r\nNOOP\r\n");
    const RawFtpClient::Reply type = client.reply();
    const RawFtpClient::Reply noop = client.reply();
    EXPECT_EQ(type.code, 200);
    EXPECT_EQ(noop.code, 200);
    EXPECT_EQ(type.read, noop.read);

    ASSERT_EQ(client.enterPassive().code, 227);
    const RawFtpClient::Retrieval retrieval = client.retrieve("/file.bin");
    EXPECT_EQ(retrieval.data, ServedFiles::data());
    const Events& events = retrieval.events;
    const qsizetype opening = replyIndex(events, 150);
    const qsizetype closing = replyIndex(events, 226);
    ASSERT_GE(opening, 0);
    ASSERT_GE(closing, 0);
    EXPECT_EQ(events.at(opening).reply.read, events.at(closing).reply.read);
}

TEST_F(PyftpdlibServerTest, LogsEachCommandAsSent)
{
    KEVA_REQUIRE_PEER(server);
    RawFtpClient client(server.port());
    prepareTransfer(client);
    ASSERT_EQ(client.command("REST 500").code, 350);
    ASSERT_EQ(client.retrieve("/file.bin").finalCode, 226);

    const QStringList expected = {QStringLiteral("USER anonymous"), QStringLiteral("PASS ***"),
                                  QStringLiteral("TYPE I"),         QStringLiteral("PASV"),
                                  QStringLiteral("REST 500"),       QStringLiteral("RETR /file.bin")};
    QStringList logged;
    for (const FtpCommand& command : server.commandLog(expected.size()))
        logged << (command.argument.isEmpty() ? command.verb : command.verb + QLatin1Char(' ') + command.argument);
    EXPECT_EQ(logged, expected);
}

} // namespace
