#include "engine/ConnectionPool.h"

#include "engine/ReadBuffer.h"
#include "engine/TlsSession.h"

#include <QTcpSocket>

#include <algorithm>

ConnectionPool::ConnectionPool(QObject* parent)
    : QObject(parent)
{
    sweep_.setInterval(1000);
    connect(&sweep_, &QTimer::timeout, this, &ConnectionPool::closeExpired);
}

ConnectionPool::~ConnectionPool()
{
    for (const Idle& idle : idle_) {
        idle.socket->disconnect(this);
        idle.socket->abort();
    }
}

QString ConnectionPool::keyFor(const UrlParts& target, const ProxyRoute* route)
{
    QString key = (target.IsHTTPS ? QStringLiteral("https://") : QStringLiteral("http://")) + target.Server
        + QLatin1Char(':') + QString::number(target.Port);
    if (route)
        key += QStringLiteral(" via ") + route->host + QLatin1Char(':') + QString::number(route->port)
            + QLatin1Char(' ') + QString::fromLatin1(route->authorization);
    return key;
}

QTcpSocket* ConnectionPool::take(const QString& key)
{
    const auto newest = std::find_if(idle_.rbegin(), idle_.rend(),
                                     [&](const Idle& idle) { return idle.key == key && idle.toDrop == 0; });
    if (newest == idle_.rend())
        return nullptr;
    QTcpSocket* socket = newest->socket;
    idle_.erase(std::next(newest).base());
    socket->disconnect(this);
    socket->setParent(nullptr);
    return socket;
}

int ConnectionPool::readyCount() const
{
    return static_cast<int>(
        std::count_if(idle_.begin(), idle_.end(), [](const Idle& idle) { return idle.toDrop == 0; }));
}

void ConnectionPool::put(const QString& key, QTcpSocket* socket, qint64 toDrop)
{
    const auto sameServer = std::count_if(idle_.begin(), idle_.end(),
                                          [&](const Idle& idle) { return idle.key == key; });
    if (sameServer >= kPerServer) {
        const auto oldest = std::find_if(idle_.begin(), idle_.end(), [&](const Idle& idle) { return idle.key == key; });
        drop(oldest->socket);
    }
    socket->setParent(this);
    // Closed by the server, or speaking out of turn: of no more use.
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { drop(socket); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readIdle(socket); });
    idle_.push_back({key, socket, QDeadlineTimer(kIdleMs), toDrop});
    if (!sweep_.isActive())
        sweep_.start();
    readIdle(socket); // some of it may be here already
}

void ConnectionPool::readIdle(QTcpSocket* socket)
{
    const auto found = std::find_if(idle_.begin(), idle_.end(),
                                    [&](const Idle& idle) { return idle.socket == socket; });
    if (found == idle_.end())
        return;
    TlsSession* session = TlsSession::of(socket);
    QIODevice& in = session ? static_cast<QIODevice&>(*session) : *socket;
    if (found->toDrop > 0) {
        const ReadBuffer scratch;
        qint64 got = 0;
        while (found->toDrop > 0
               && (got = in.read(scratch.data(), std::min<qint64>(found->toDrop, ReadBuffer::kSize))) > 0)
            found->toDrop -= got;
    }
    if (in.bytesAvailable() > 0)
        drop(socket);
}

void ConnectionPool::drop(QTcpSocket* socket)
{
    const auto found = std::find_if(idle_.begin(), idle_.end(),
                                    [&](const Idle& idle) { return idle.socket == socket; });
    if (found == idle_.end())
        return;
    idle_.erase(found);
    socket->disconnect(this);
    socket->abort();
    // It may be the socket whose signal got us here.
    socket->deleteLater();
}

void ConnectionPool::closeExpired()
{
    std::vector<QTcpSocket*> expired;
    for (const Idle& idle : idle_) {
        if (idle.expires.hasExpired())
            expired.push_back(idle.socket);
    }
    for (QTcpSocket* socket : expired)
        drop(socket);
    if (idle_.empty())
        sweep_.stop();
}
