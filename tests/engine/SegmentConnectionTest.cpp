#include "engine/SegmentConnection.h"

#include "engine/ConnectionPool.h"
#include "engine/HttpRequest.h"
#include "engine/TlsTrust.h"

#include "JobRunner.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>

#include "support/CaseName.h"
#include "support/TestCertificates.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const QByteArray kBody(5000, 'k');

QByteArray reply(const QByteArray& extraHeaders = {})
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(kBody.size()) + "\r\n" + extraHeaders + "\r\n"
        + kBody;
}

// A redirect with a page of its own, which nobody reads.
QByteArray redirect()
{
    return "HTTP/1.1 302 Found\r\nLocation: /f.bin\r\nContent-Length: 3000\r\n\r\n" + QByteArray(3000, 'r');
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A scripted server on loopback, over TLS or not: the n-th request on the
// c-th connection (both from 0) gets `answer(c, n)`; an empty answer closes
// the connection without a reply (over TLS, with the session's own close).
class KeptConnectionServer {
public:
    std::function<QByteArray(int connection, int request)> answer;
    int connections = 0;
    int requests = 0;
    bool bodyLater = false; // each body goes out a moment after its header

    explicit KeptConnectionServer(bool tls)
    {
        if (tls) {
            const TestCertificates::Pair pair = TestCertificates::instance().server();
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.setLocalCertificate(QSslCertificate(contentsOf(pair.certificate)));
            configuration.setPrivateKey(QSslKey(contentsOf(pair.key), QSsl::Ec));
            auto tlsServer = std::make_unique<QSslServer>();
            tlsServer->setSslConfiguration(configuration);
            server_ = std::move(tlsServer);
        } else {
            server_ = std::make_unique<QTcpServer>();
        }
        server_->listen(QHostAddress::LocalHost);
        QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection()) {
                const int connection = connections++;
                auto asked = std::make_shared<int>(0);
                auto pending = std::make_shared<QByteArray>();
                const auto read = [=, this] {
                    *pending += socket->readAll();
                    while (pending->contains("\r\n\r\n")) {
                        pending->remove(0, pending->indexOf("\r\n\r\n") + 4);
                        ++requests;
                        const QByteArray bytes = answer(connection, (*asked)++);
                        if (bytes.isEmpty()) {
                            socket->close();
                            return;
                        }
                        const qsizetype body = bytes.indexOf("\r\n\r\n") + 4;
                        socket->write(bodyLater ? bytes.left(body) : bytes);
                        if (bodyLater)
                            QTimer::singleShot(50, socket, [socket, rest = bytes.mid(body)] { socket->write(rest); });
                    }
                };
                QObject::connect(socket, &QTcpSocket::readyRead, socket, read);
                read(); // a TLS connection is handed over with what came during its handshake
            }
        });
    }
    quint16 port() const { return server_->serverPort(); }

private:
    std::unique_ptr<QTcpServer> server_;
};

struct KeepAliveCase {
    const char* name;
    std::function<QByteArray(int connection, int request)> answer;
    int connections; // the server saw, for two downloads one after the other
    bool tls = false;
    // The first reply's body is not read: the connection is closed at its
    // header, as a redirect's is.
    bool firstUnread = false;
    bool bodyLater = false;
};

void PrintTo(const KeepAliveCase& c, std::ostream* os)
{
    *os << c.name;
}

class SegmentConnectionKeepAlive : public testing::TestWithParam<KeepAliveCase> {
protected:
    void TearDown() override { TlsTrust::reset(); }
};

// Two requests one after the other, each on a connection object of its own
// as two jobs have, share the pool: the second goes out on the first's
// connection where the server keeps it open, and a kept connection the
// server closes before it answers is replaced unseen.
TEST_P(SegmentConnectionKeepAlive, TheNextRequestTakesTheKeptConnection)
{
    const KeepAliveCase& c = GetParam();
    if (c.tls) {
        ASSERT_TRUE(TestCertificates::instance().ok()) << TestCertificates::instance().error().toStdString();
        QString problem;
        ASSERT_TRUE(TlsTrust::addAuthorities(TestCertificates::instance().authority(), &problem));
    }
    KeptConnectionServer server(c.tls);
    server.answer = c.answer;
    server.bodyLater = c.bodyLater;
    ConnectionPool pool;
    const QString scheme = c.tls ? QStringLiteral("https") : QStringLiteral("http");
    UrlParts target = SplitUrl(QStringLiteral("%1://127.0.0.1:%2/f.bin").arg(scheme).arg(server.port()), {});
    for (int run = 0; run < 2; ++run) {
        QByteArray body;
        std::optional<bool> complete;
        QString error;
        std::unique_ptr<SegmentConnection> connection;
        const auto closeAtHeader = [&] {
            if (run == 0 && c.firstUnread)
                connection->close();
        };
        connection = std::make_unique<SegmentConnection>(
            HttpConnection::Callbacks {
                closeAtHeader, [&](const char* data, qsizetype size) { body.append(data, size); },
                [&](bool done) { complete = done; }, [&](int, const QString& description) { error = description; }},
            &pool);
        connection->open(target, nullptr, HttpRequest::get(target, nullptr, 0, nullptr), false);
        if (run == 0 && c.firstUnread) {
            // The pool reads the rest of the body away, then offers the connection.
            ASSERT_TRUE(JobRunner::waitFor([&] { return pool.readyCount() == 1; }, 5000));
            continue;
        }
        ASSERT_TRUE(JobRunner::waitFor([&] { return complete.has_value() || !error.isEmpty(); }, 5000)) << run;
        EXPECT_EQ(error, QString()) << run;
        EXPECT_TRUE(complete.value_or(false)) << run;
        EXPECT_EQ(QCryptographicHash::hash(body, QCryptographicHash::Sha256),
                  QCryptographicHash::hash(kBody, QCryptographicHash::Sha256))
            << run;
    }
    EXPECT_EQ(server.connections, c.connections);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SegmentConnectionKeepAlive,
    testing::Values(
        KeepAliveCase {"KeepsItOpen", [](int, int) { return reply(); }, 1},
        KeepAliveCase {"SaysItCloses", [](int, int) { return reply("Connection: close\r\n"); }, 2},
        KeepAliveCase {
            "ClosesItBeforeTheNextReply",
            [](int connection, int request) { return connection == 0 && request == 1 ? QByteArray() : reply(); }, 2},
        KeepAliveCase {"KeepsItOpenOverTls", [](int, int) { return reply(); }, 1, true},
        KeepAliveCase {
            "ClosesItsTlsSessionBeforeTheNextReply",
            [](int connection, int request) { return connection == 0 && request == 1 ? QByteArray() : reply(); }, 2,
            true},
        KeepAliveCase {"ReadsAwayTheRestOfAnUnreadBody",
                       [](int, int request) { return request == 0 ? redirect() : reply(); }, 1, false, true},
        KeepAliveCase {"ReadsAwayAnUnreadBodyThatComesLater",
                       [](int, int request) { return request == 0 ? redirect() : reply(); }, 1, false, true, true},
        KeepAliveCase {"ReadsAwayAnUnreadBodyOverTls",
                       [](int, int request) { return request == 0 ? redirect() : reply(); }, 1, true, true, true}),
    CaseName());

} // namespace
