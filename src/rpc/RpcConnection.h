#pragma once

#include "rpc/RpcHttpRequest.h"
#include "rpc/WebSocketCodec.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <optional>

class QTcpSocket;
class RpcDispatcher;

// One client of the remote-control port: HTTP POST /jsonrpc requests, one
// after the other, or a WebSocket on /jsonrpc after an upgrade. Web pages
// whose Origin is not allowed are refused; a request that does not arrive
// whole within the idle time closes the connection. Deletes itself when the
// connection ends.
class RpcConnection : public QObject {
    Q_OBJECT
public:
    // The largest request head.
    static constexpr qsizetype kMostHeadBytes = 16 * 1024;

    RpcConnection(QTcpSocket* socket, RpcDispatcher& dispatcher, const QStringList& allowedOrigins,
                  std::chrono::milliseconds idleTime, QObject* parent);

    bool isWebSocket() const { return webSocket_; }
    // Sends a message to a WebSocket client.
    void sendText(const QByteArray& message);

private:
    void readAvailable();
    void readRequests();
    void readFrames(const QByteArray& bytes);
    // Checks a request's head and answers what needs no body; false when it
    // was answered (or the connection became a WebSocket).
    bool admit(const RpcHttpRequest& request);
    void upgrade(const RpcHttpRequest& request);
    // Answers the request; an error (4xx, 5xx) also ends the connection.
    void reply(int status, const QByteArray& body = {}, QByteArray fields = {});
    void write(const QByteArray& bytes);

    QTcpSocket* socket_;
    RpcDispatcher& dispatcher_;
    const QStringList allowedOrigins_;
    QTimer idle_;
    QByteArray buffer_;
    std::optional<RpcHttpRequest> request_;
    qsizetype bodyLength_ = 0;
    QByteArray corsFields_; // for an allowed web page
    bool webSocket_ = false;
    bool closing_ = false;
    WebSocketCodec codec_;
};
