#pragma once

#include "platform/UniqueFd.h"
#include "support/RawHttpReply.h"

#include <QByteArray>
#include <QString>

// A raw HTTP client over a plain POSIX socket, for tests that must send
// exactly the bytes they mean (broken heads, pipelined requests, slow
// trickles) and see what Qt's sockets hide: a reset apart from a close, and
// how the header block was split across reads. It connects when it is made.
class RawHttpClient {
public:
    // `from`, when given, is the loopback address to connect from (127.0.0.2
    // and so on), so the server sees another client.
    explicit RawHttpClient(quint16 port, int timeoutMilliseconds = 3000, const char* from = nullptr);

    bool connected() const { return socket_.valid(); }

    // Sends `request` and reads until the server closes the connection,
    // resets it, or the time-out has passed since the request went out.
    RawHttpReply send(const QByteArray& request);
    // `METHOD path HTTP/1.1` with Host and Connection: close, plus extra header lines ("Range: bytes=0-9\r\n").
    RawHttpReply request(const QByteArray& method, const QString& path, const QByteArray& extraHeaders = {});

    // The connection used step by step.
    bool write(const QByteArray& bytes);
    // Reads until `count` bytes arrived, the server closes, or the time-out
    // passes without data.
    QByteArray readAtLeast(qsizetype count);
    QByteArray readUntilClosed();
    // True when the server closes the connection within the time-out.
    bool closedWithin();

private:
    quint16 port_;
    int timeoutMilliseconds_;
    UniqueFd socket_;
};
