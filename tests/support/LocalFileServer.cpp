#include "support/LocalFileServer.h"

#include <QTcpSocket>

LocalFileServer::LocalFileServer(QByteArray content, QObject* parent)
    : QObject(parent)
    , content_(std::move(content))
{
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        }
    });
}

QString LocalFileServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port()).arg(path);
}

void LocalFileServer::answer(QTcpSocket* socket)
{
    const QByteArray request = socket->peek(socket->bytesAvailable());
    if (!request.contains("\r\n\r\n"))
        return;
    socket->readAll();
    const bool head = request.startsWith("HEAD ");
    const qint64 total = content_.size();
    qint64 first = 0;
    qint64 last = total - 1;
    const qsizetype at = request.indexOf("Range: bytes=");
    const bool ranged = at >= 0;
    if (ranged) {
        const QByteArray span = request.mid(at + 13, request.indexOf("\r\n", at) - at - 13);
        const qsizetype dash = span.indexOf('-');
        first = span.left(dash).toLongLong();
        if (dash + 1 < span.size())
            last = std::min(span.mid(dash + 1).toLongLong(), total - 1);
    }
    QByteArray reply = ranged ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
    reply += "Accept-Ranges: bytes\r\nConnection: close\r\nContent-Length: " + QByteArray::number(last - first + 1)
        + "\r\n";
    if (ranged) {
        reply += "Content-Range: bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/'
            + QByteArray::number(total) + "\r\n";
    }
    reply += "\r\n";
    socket->write(reply);
    if (head) {
        socket->disconnectFromHost();
    } else if (sendBodies) {
        socket->write(content_.mid(first, last - first + 1));
        socket->disconnectFromHost();
    } else {
        socket->write(content_.mid(first, std::min(heldAfter, last - first + 1)));
    }
}
