#pragma once

#include "engine/HttpConnection.h"
#include "engine/HttpResponseParser.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

class ConnectionPool;
class TlsSession;

// An HTTP connection over TCP, or over TLS for https (the certificate checked
// against the trusted authorities, and against the host name). With a pool,
// a request goes out on a connection the pool keeps for its server where
// there is one, and a connection whose reply was read to its end goes back
// to the pool; a kept connection the server has closed meanwhile (it ends
// before a byte of the reply) is replaced by a new one, once, unseen.
class SegmentConnection : public QObject, public HttpConnection {
    Q_OBJECT
public:
    explicit SegmentConnection(Callbacks callbacks, ConnectionPool* pool = nullptr, QObject* parent = nullptr);
    ~SegmentConnection() override;

    void setLimiter(RateLimiter* limiter) override { limiter_ = limiter; }
    void setCallbacks(Callbacks callbacks) override { callbacks_ = std::move(callbacks); }
    void open(const UrlParts& target, const ProxyRoute* route, const QByteArray& request, bool headRequest) override;
    void close() override;
    bool isOpen() const override { return open_; }
    const HttpResponseParser& response() const override { return parser_; }

private:
    // Sends the request on `socket`, a connection to the server kept open.
    void sendOn(QTcpSocket* socket);
    // Starts TLS on the connected socket (directly, or in a proxy's tunnel);
    // the request goes out once the server's certificate is accepted.
    void startTls();
    void watchTls();
    // Lets go of the socket (and its TLS session), which may be the one
    // whose signal got us here.
    void dropSocket();
    // Where the reply is read from and the request written to: the TLS
    // session, or the socket itself.
    QIODevice& stream() const;
    // Connects anew and sends the request once connected.
    void connectFresh();
    void watch();
    // The kept connection ended before the reply began: true when the request
    // has gone out again on a new one.
    bool retriedFresh();
    void readAvailable();
    // Reads the proxy's answer to CONNECT; true once the tunnel is open.
    bool readTunnelReply();
    void fail(int code, const QString& description);
    void ended();
    // Closing hands the connection to the pool when the server keeps it open
    // and the reply is read to its end (framed by its length or its chunks),
    // or all that is left of it is a short body framed by its length that
    // nobody reads (a redirect's, an error's): the bytes of it still to come,
    // which the pool reads away; nothing when the connection cannot be kept.
    std::optional<qint64> keptWith() const;
    void finish(bool complete);

    Callbacks callbacks_;
    ConnectionPool* pool_ = nullptr;
    QString poolKey_;
    UrlParts target_;
    std::optional<ProxyRoute> route_;
    bool reused_ = false;       // the request went out on a kept connection
    bool replyStarted_ = false; // a byte of the reply has come
    // Made by the first open(), and again after a kept one was refused.
    QTcpSocket* socket_ = nullptr;
    TlsSession* tlsSession_ = nullptr; // over socket_ for https, or null
    HttpResponseParser parser_;
    QByteArray request_;
    bool open_ = false;
    bool tls_ = false;
    QString tlsHost_;         // the name the certificate must carry
    QByteArray tunnel_;       // the CONNECT request, until the tunnel is open
    QByteArray tunnelReply_;  // the proxy's answer to it so far
    bool endPending_ = false; // the server closed while the limiter held data back
    // While the reply's header is handled: the bytes of the last read past
    // it, which the parser has not been given yet.
    qint64 unfed_ = 0;
    RateLimiter* limiter_ = nullptr;
    QTimer readLater_;
    quint64 generation_ = 0; // changes on every open and close
};
