#pragma once

#include "core/SplitUrl.h"
#include "engine/ProxyRoute.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class QTcpSocket;

// Connections whose last reply was read to its end, kept for the next
// request to the same server (same scheme, host, port and proxy): HTTP/1.1
// keep-alive across the requests of every job of a process. A connection
// may come with the rest of a short body nobody reads (a redirect's, an
// error's): the pool reads it away before it offers the connection again.
// At most kPerServer are kept for each server; each is closed when it has
// been idle for kIdleMs, when the server closes it or sends anything unasked,
// and with the pool.
class ConnectionPool : public QObject {
    Q_OBJECT
public:
    static constexpr int kPerServer = 4;
    static constexpr int kIdleMs = 5000;

    explicit ConnectionPool(QObject* parent = nullptr);
    ~ConnectionPool() override;

    // What the connections to `target` through `route` (null: none) share.
    static QString keyFor(const UrlParts& target, const ProxyRoute* route);

    // The connection kept last for `key`, now the caller's (without a
    // parent, and no longer watched), or null when none is kept.
    QTcpSocket* take(const QString& key);
    // Keeps `socket`, connected, for `key`, once the `toDrop` bytes of its
    // last reply still to come (what its TLS session decrypts, over TLS) have
    // been read away.
    void put(const QString& key, QTcpSocket* socket, qint64 toDrop = 0);
    // Connections kept and ready for a request (the rest of their last
    // reply read away).
    int readyCount() const;

private:
    struct Idle {
        QString key;
        QTcpSocket* socket = nullptr;
        QDeadlineTimer expires;
        qint64 toDrop = 0;
    };

    void drop(QTcpSocket* socket);
    // Reads away what is left of the socket's last reply; anything past it
    // is unasked, and the connection goes.
    void readIdle(QTcpSocket* socket);
    void closeExpired();

    std::vector<Idle> idle_; // oldest first
    QTimer sweep_;
};
