#include "FakeDownloads.h"
#include "RpcTestClient.h"

#include "rpc/RpcServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using State = RpcDownloadStatus::State;

const QString kGid = QStringLiteral("0123456789abcdef");

QByteArray post(const QByteArray& body, const QByteArray& fields = {})
{
    return "POST /jsonrpc HTTP/1.1\r\nHost: localhost\r\n" + fields
        + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray callText(const char* method, QJsonArray params, const QJsonValue& id = QStringLiteral("q"))
{
    return QJsonDocument(QJsonObject {{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                                      {QStringLiteral("id"), id},
                                      {QStringLiteral("method"), QLatin1String(method)},
                                      {QStringLiteral("params"), params}})
        .toJson(QJsonDocument::Compact);
}

int statusOf(const QByteArray& response)
{
    return response.mid(9, 3).toInt();
}

QJsonDocument bodyOf(const QByteArray& response)
{
    return QJsonDocument::fromJson(response.mid(response.indexOf("\r\n\r\n") + 4));
}

QJsonValue json(const char* text)
{
    return QJsonDocument::fromJson(QByteArray("[") + text + ']').array().first();
}

class RpcServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.port = 0;
        settings.secret = QStringLiteral("s3cret");
        settings.allowedOrigins = {QStringLiteral("https://ui.example")};
        ASSERT_EQ(server.start(settings), RpcServer::Refusal::None);
    }

    QByteArray exchange(const QByteArray& request)
    {
        RpcTestClient client(server.port());
        client.send(request);
        return client.response();
    }

    // The result of a call with the secret, or its error object.
    QJsonValue call(const char* method, QJsonArray params = {})
    {
        params.prepend(QStringLiteral("token:s3cret"));
        const QJsonObject answer = bodyOf(exchange(post(callText(method, params)))).object();
        return answer.contains(QStringLiteral("error")) ? answer.value(QStringLiteral("error"))
                                                        : answer.value(QStringLiteral("result"));
    }

    RpcServerSettings settings;
    FakeDownloads downloads;
    RpcServer server {downloads};
};

struct ErrorCase {
    const char* name;
    QByteArray request;
    int httpStatus;
    int code;
    const char* message;
};

TEST_F(RpcServerTest, AnswersEachFaultWithItsCodeAndChangesNothing)
{
    downloads.list(kGid, State::Active);
    const QByteArray pause = callText("aria2.pause", {QStringLiteral("token:s3cret"), kGid});
    const ErrorCase cases[] = {
        {"NoToken", post(callText("aria2.pause", {kGid})), 400, 1, "Unauthorized"},
        {"WrongToken", post(callText("aria2.pause", {QStringLiteral("token:s3creT"), kGid})), 400, 1, "Unauthorized"},
        {"LongerToken", post(callText("aria2.pause", {QStringLiteral("token:s3cret1"), kGid})), 400, 1, "Unauthorized"},
        {"Malformed", post(R"({"jsonrpc":"2.0","id":1,)"), 500, -32700, "Parse error"},
        {"MethodNotText", post(R"({"jsonrpc":"2.0","id":1,"method":1})"), 400, -32600, "Invalid Request"},
        {"ParamsNotArray", post(R"({"jsonrpc":"2.0","id":1,"method":"aria2.pause","params":{}})"), 400, -32600,
         "Invalid Request"},
        {"EmptyBatch", post("[]"), 400, -32600, "Invalid Request"},
        {"UnknownMethod", post(callText("aria2.shutdownNow", {QStringLiteral("token:s3cret")})), 400, -32601,
         "Method not found"},
        {"GidNotText", post(callText("aria2.pause", {QStringLiteral("token:s3cret"), 5})), 400, -32602,
         "Invalid params"},
        {"OffsetNotNumber",
         post(callText("aria2.tellWaiting", {QStringLiteral("token:s3cret"), QStringLiteral("0"), 1})), 400, -32602,
         "Invalid params"},
        {"UnknownGid",
         post(callText("aria2.pause", {QStringLiteral("token:s3cret"), QStringLiteral("fedcba9876543210")})), 400, 1,
         "GID fedcba9876543210 is not found"},
        {"ShortGid", post(callText("aria2.pause", {QStringLiteral("token:s3cret"), QStringLiteral("0123")})), 400, 1,
         "Invalid GID 0123"},
        {"UnknownOption",
         post(callText("aria2.addUri",
                       {QStringLiteral("token:s3cret"), QJsonArray {QStringLiteral("http://a.test/")},
                        QJsonObject {{QStringLiteral("max-tries"), QStringLiteral("3")}}})),
         400, 1, "The option max-tries is not supported"},
        {"BadSplit",
         post(callText("aria2.addUri",
                       {QStringLiteral("token:s3cret"), QJsonArray {QStringLiteral("http://a.test/")},
                        QJsonObject {{QStringLiteral("split"), QStringLiteral("abc")}}})),
         400, 1, "The option split takes a whole number from 1 to 16, not \"abc\""},
        {"RefusedByTheList",
         post(callText("aria2.addUri", {QStringLiteral("token:s3cret"), QJsonArray {QStringLiteral("bad:x")}})), 400, 1,
         "KEVA cannot download bad: addresses"},
        {"Torrent", post(callText("aria2.addTorrent", {QStringLiteral("token:s3cret"), QStringLiteral("AAAA")})), 400,
         1,
         "aria2.addTorrent is not supported: KEVA downloads over HTTP, HTTPS and FTP only, without BitTorrent or "
         "Metalink"},
        {"OverOneMiB", post(QByteArray((1 << 20) + 1, ' ')), 413, -32600, "Invalid Request"},
        {"TooBigBatch", post('[' + QByteArrayList(65, pause).join(',') + ']'), 400, -32600, "Invalid Request"},
        {"OriginNotAllowed", post(pause, "Origin: https://evil.example\r\n"), 403, 0, ""},
        {"NotPost", "GET /jsonrpc HTTP/1.1\r\nHost: localhost\r\n\r\n", 405, 0, ""},
        {"OtherPath", "POST /rpc HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 404, 0, ""},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray response = exchange(c.request);
        EXPECT_EQ(statusOf(response), c.httpStatus);
        if (c.code != 0) {
            const QJsonObject error = bodyOf(response).object().value(QStringLiteral("error")).toObject();
            EXPECT_EQ(error.value(QStringLiteral("code")).toInt(), c.code);
            EXPECT_EQ(error.value(QStringLiteral("message")).toString(), QLatin1String(c.message));
        }
    }
    EXPECT_EQ(downloads.commands, QStringList());
    EXPECT_EQ(downloads.items.size(), 1);
}

TEST_F(RpcServerTest, AnswersAllowedWebPagesAndBatchesAndCurlsExpect)
{
    downloads.list(kGid, State::Active);
    const QByteArray batch = '[' + callText("aria2.pause", {QStringLiteral("token:s3cret"), kGid}, 7) + ','
        + R"({"jsonrpc":"2.0","method":"aria2.unpause","params":["token:s3cret","0123456789abcdef"]},)" + R"(5])";
    RpcTestClient client(server.port());
    client.send(post(batch, "Origin: https://ui.example\r\nExpect: 100-continue\r\n"));
    EXPECT_EQ(statusOf(client.response()), 100);
    const QByteArray response = client.response();
    EXPECT_EQ(statusOf(response), 200);
    EXPECT_TRUE(response.contains("\r\nAccess-Control-Allow-Origin: https://ui.example\r\n"));
    EXPECT_EQ(bodyOf(response).array(),
              json(R"([{"id":7,"jsonrpc":"2.0","result":"0123456789abcdef"},
        {"id":null,"jsonrpc":"2.0","error":{"code":-32600,"message":"Invalid Request"}}])")
                  .toArray());
    EXPECT_EQ(downloads.commands, QStringList({QStringLiteral("pause ") + kGid, QStringLiteral("unpause ") + kGid}));
}

TEST_F(RpcServerTest, TellsAStatusInAria2sShape)
{
    RpcDownloadStatus& item = downloads.list(kGid, State::Error);
    item.totalLength = 3145728;
    item.completedLength = 1048576;
    item.errorCode = 22;
    item.errorMessage = QStringLiteral("HTTP 404");
    item.files.first().uris.append(QStringLiteral("http://mirror.test/f"));
    EXPECT_EQ(call("aria2.tellStatus", {kGid}), json(R"({"gid":"0123456789abcdef","status":"error",
        "totalLength":"3145728","completedLength":"1048576","uploadLength":"0","downloadSpeed":"0",
        "uploadSpeed":"0","connections":"0","pieceLength":"1048576","numPieces":"3","dir":"/downloads",
        "errorCode":"22","errorMessage":"HTTP 404",
        "files":[{"index":"1","path":"/downloads/0123456789abcdef","length":"0","completedLength":"0",
          "selected":"true","uris":[{"uri":"http://example.test/0123456789abcdef","status":"used"},
                                    {"uri":"http://mirror.test/f","status":"waiting"}]}]})"));
    EXPECT_EQ(
        call("aria2.tellStatus",
             {kGid, QJsonArray {QStringLiteral("status"), QStringLiteral("totalLength"), QStringLiteral("nosuchkey")}}),
        json(R"({"status":"error","totalLength":"3145728"})"));
    EXPECT_EQ(call("aria2.getGlobalStat"), json(R"({"downloadSpeed":"2048","uploadSpeed":"0","numActive":"0",
        "numWaiting":"0","numStopped":"1","numStoppedTotal":"2"})"));
}

TEST_F(RpcServerTest, PagesTheWaitingListAsAria2Does)
{
    for (const char* gid : {"a", "b", "c", "d", "e"})
        downloads.list(QString(16, QLatin1Char(gid[0])), State::Waiting);
    const struct {
        int offset, num;
        const char* gids;
    } cases[] = {{0, 2, "ab"}, {3, 10, "de"}, {5, 1, ""}, {-1, 2, "ed"}, {-2, 10, "dcba"}, {-6, 1, ""}, {0, 0, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        QString gids;
        const QJsonArray page =
            call("aria2.tellWaiting", {c.offset, c.num, QJsonArray {QStringLiteral("gid")}}).toArray();
        for (const QJsonValue& item : page)
            gids += item[QStringLiteral("gid")].toString().left(1);
        EXPECT_EQ(gids, QLatin1String(c.gids));
    }
}

TEST_F(RpcServerTest, HandsAddUrisOptionsToTheList)
{
    const QJsonValue gid = call("aria2.addUri",
                                {QJsonArray {QStringLiteral("http://a.test/f.iso")},
                                 json(R"({"dir":"/tmp/d","out":"f.iso","header":"X-A: 1","split":"4",
                                   "checksum":"sha-256=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
                                   "pause":"true","user-agent":"UA","referer":"http://a.test/"})"),
                                 2});
    EXPECT_EQ(gid, QJsonValue(QStringLiteral("0000000000000000")));
    EXPECT_EQ(downloads.addedUris, QStringList {QStringLiteral("http://a.test/f.iso")});
    EXPECT_EQ(downloads.addedPosition, 2);
    EXPECT_EQ(call("aria2.getOption", {gid}), json(R"({"dir":"/tmp/d","out":"f.iso","header":["X-A: 1"],"split":"4",
        "checksum":"sha-256=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
        "pause":"true","user-agent":"UA","referer":"http://a.test/"})"));

    EXPECT_EQ(call("aria2.changeGlobalOption", {json(R"({"max-overall-download-limit":"2M"})")}), QStringLiteral("OK"));
    EXPECT_EQ(downloads.global.maxOverallDownloadLimit, 2 * 1048576);
}

TEST_F(RpcServerTest, MulticallAnswersEachCallInTurn)
{
    const QJsonValue results = json(R"({"x":[[
        {"methodName":"aria2.getSessionInfo","params":["token:s3cret"]},
        {"methodName":"aria2.pauseAll","params":["token:wrong"]},
        {"methodName":"aria2.nope","params":["token:s3cret"]},
        {"methodName":"aria2.unpauseAll","params":["token:s3cret"]}]]})")[QStringLiteral("x")];
    const QJsonArray answer = call("system.multicall", results.toArray()).toArray();
    ASSERT_EQ(answer.size(), 4);
    EXPECT_EQ(answer[0][0][QStringLiteral("sessionId")].toString().size(), 40);
    EXPECT_EQ(answer[1], json(R"({"code":1,"message":"Unauthorized"})"));
    EXPECT_EQ(answer[2], json(R"({"code":-32601,"message":"Method not found"})"));
    EXPECT_EQ(answer[3], json(R"(["OK"])"));
    EXPECT_EQ(downloads.commands, QStringList {QStringLiteral("unpauseAll")});
}

TEST_F(RpcServerTest, AnswersAndNotifiesOverAWebSocket)
{
    downloads.list(kGid, State::Active);
    RpcTestClient client(server.port());
    client.send("GET /jsonrpc HTTP/1.1\r\nHost: localhost\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    const QByteArray handshake = client.response();
    EXPECT_EQ(statusOf(handshake), 101);
    EXPECT_TRUE(handshake.contains("\r\nSec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n"));

    // One call in two fragments, the second after a ping.
    const QByteArray request = callText("aria2.tellActive",
                                        {QStringLiteral("token:s3cret"), QJsonArray {QStringLiteral("gid")}});
    client.send(RpcTestClient::maskedFrame(1, request.left(10), false) + RpcTestClient::maskedFrame(9, "hi")
                + RpcTestClient::maskedFrame(0, request.mid(10)));
    const auto [opcode, answer] = client.frame();
    EXPECT_EQ(opcode, 1);
    EXPECT_EQ(QJsonDocument::fromJson(answer).object().value(QStringLiteral("result")),
              json(R"([{"gid":"0123456789abcdef"}])"));
    EXPECT_EQ(client.frame(), std::make_pair(10, QByteArray("hi")));

    emit downloads.downloadEvent(RpcDownloads::Event::Complete, kGid);
    EXPECT_EQ(QJsonDocument::fromJson(client.frame().second).object(),
              json(R"({"jsonrpc":"2.0","method":"aria2.onDownloadComplete","params":[{"gid":"0123456789abcdef"}]})")
                  .toObject());

    client.send(RpcTestClient::maskedFrame(8, QByteArray("\x03\xe8", 2)));
    EXPECT_EQ(client.frame().first, 8);
    EXPECT_TRUE(client.closedWithin(5000));
}

TEST_F(RpcServerTest, RefusesAWebSocketFromAPageNotAllowed)
{
    const QByteArray response = exchange(
        "GET /jsonrpc HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        "Origin: https://evil.example\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
        "Sec-WebSocket-Version: 13\r\n\r\n");
    EXPECT_EQ(statusOf(response), 403);
}

TEST_F(RpcServerTest, ClosesAConnectionThatSendsNothing)
{
    server.setIdleTime(std::chrono::milliseconds(300));
    ASSERT_EQ(server.start(settings), RpcServer::Refusal::None);
    RpcTestClient client(server.port());
    client.send("POST /jsonrpc HTTP/1.1\r\nContent-Length: 10\r\n\r\n{");
    EXPECT_TRUE(client.closedWithin(3000));
}

TEST_F(RpcServerTest, TellsThatThePortIsTakenAndDoesNotMove)
{
    FakeDownloads other;
    RpcServer second(other);
    RpcServerSettings same = settings;
    same.port = server.port();
    EXPECT_EQ(second.start(same), RpcServer::Refusal::AddressInUse);
    EXPECT_FALSE(second.isListening());
    same.address = QStringLiteral("no.such.address");
    EXPECT_EQ(second.start(same), RpcServer::Refusal::BadAddress);
    same.address = QStringLiteral("127.0.0.1");
    same.secret.clear();
    EXPECT_EQ(second.start(same), RpcServer::Refusal::NoSecret);
}

} // namespace
