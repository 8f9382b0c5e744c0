#pragma once

#include "support/RawHttpReply.h"

#include <QByteArray>
#include <QString>

// Sends raw HTTP requests to a loopback port over a plain POSIX socket and
// reads until the server closes the connection, resets it, or the time is up.
// It sees what Qt's sockets hide: a reset apart from a close, and how the
// header block was split across reads.
class RawHttpClient {
public:
    explicit RawHttpClient(quint16 port, int timeoutMilliseconds = 3000);

    RawHttpReply send(const QByteArray& request) const;
    // `METHOD path HTTP/1.1` with Host and Connection: close, plus extra header lines ("Range: bytes=0-9\r\n").
    RawHttpReply request(const QByteArray& method, const QString& path, const QByteArray& extraHeaders = {}) const;

private:
    quint16 port_;
    int timeoutMilliseconds_;
};
