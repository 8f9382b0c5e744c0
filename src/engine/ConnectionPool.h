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
// keep-alive across the requests of every job of a process. At most
// kPerServer are kept for each server; each is closed when it has been idle
// for kIdleMs, when the server closes it or sends anything unasked, and with
// the pool.
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
    // Keeps `socket`, connected and with nothing left to read, for `key`.
    void put(const QString& key, QTcpSocket* socket);
    int idleCount() const { return static_cast<int>(idle_.size()); }

private:
    struct Idle {
        QString key;
        QTcpSocket* socket = nullptr;
        QDeadlineTimer expires;
    };

    void drop(QTcpSocket* socket);
    void closeExpired();

    std::vector<Idle> idle_; // oldest first
    QTimer sweep_;
};
