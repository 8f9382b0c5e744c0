#pragma once

#include "support/PeerServer.h"

// tinyproxy in the foreground: an HTTP proxy that also opens CONNECT
// tunnels, optionally asking for a Basic login. Its log tells each request.
class TinyproxyServer : public PeerServer {
public:
    TinyproxyServer();

    // Asks every client for this login (before start()).
    void requireLogin(const QString& user, const QString& password);
    // The proxy's own log so far.
    QString log() const;

protected:
    QStringList prepare(quint16 port) override;

private:
    QString login_;
};
