#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

// An HTTP server on a free loopback port, in the test's own event loop, that
// serves one file at every path: HEAD and GET, with "Range: bytes=a-b"
// answered by 206 and a Content-Range. With `sendBodies` off, a GET gets its
// header and the first `heldAfter` bytes of its body, then nothing more, so
// the transfer stays running.
class LocalFileServer : public QObject {
    Q_OBJECT
public:
    explicit LocalFileServer(QByteArray content, QObject* parent = nullptr);

    quint16 port() const { return server_.serverPort(); }
    QString url(const QString& path) const;

    bool sendBodies = true;
    qint64 heldAfter = 0;

private:
    void answer(QTcpSocket* socket);

    QByteArray content_;
    QTcpServer server_;
};
