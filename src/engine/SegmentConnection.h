#pragma once

#include "engine/HttpConnection.h"
#include "engine/HttpResponseParser.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

// An HTTP connection over TCP, or over TLS for https (the certificate checked
// against the trusted authorities, and against the host name).
class SegmentConnection : public QObject, public HttpConnection {
    Q_OBJECT
public:
    explicit SegmentConnection(Callbacks callbacks, QObject* parent = nullptr);
    ~SegmentConnection() override;

    void setLimiter(RateLimiter* limiter) override { limiter_ = limiter; }
    void setCallbacks(Callbacks callbacks) override { callbacks_ = std::move(callbacks); }
    void open(const UrlParts& target, const ProxyRoute* route, const QByteArray& request, bool headRequest) override;
    void close() override;
    bool isOpen() const override { return open_; }
    const HttpResponseParser& response() const override { return parser_; }

private:
    void makeSocket(bool tls);
    void readAvailable();
    // Reads the proxy's answer to CONNECT; true once the tunnel is open.
    bool readTunnelReply();
    void fail(int code, const QString& description);
    void ended();
    void finish(bool complete);

    Callbacks callbacks_;
    // Made by the first open(), and again when the scheme changes.
    QTcpSocket* socket_ = nullptr;
    QSslSocket* tlsSocket_ = nullptr; // socket_ over TLS, or null
    HttpResponseParser parser_;
    QByteArray request_;
    // Read into, never zero-filled: pages are touched only as data arrives.
    std::unique_ptr<char[]> buffer_;
    bool open_ = false;
    bool tls_ = false;
    QString tlsHost_;         // the name the certificate must carry
    QByteArray tunnel_;       // the CONNECT request, until the tunnel is open
    QByteArray tunnelReply_;  // the proxy's answer to it so far
    bool endPending_ = false; // the server closed while the limiter held data back
    RateLimiter* limiter_ = nullptr;
    QTimer readLater_;
    quint64 generation_ = 0; // changes on every open and close
};
