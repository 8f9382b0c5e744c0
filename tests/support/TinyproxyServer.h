#pragma once

#include "support/ProxyPeerServer.h"

// tinyproxy in the foreground: an HTTP proxy that also opens CONNECT
// tunnels, optionally asking for a Basic login. Its log tells each request.
class TinyproxyServer : public ProxyPeerServer {
public:
    TinyproxyServer();

    void requireLogin(const QString& user, const QString& password) override;
    QString log() const override;

protected:
    QStringList prepare(quint16 port) override;

private:
    QString login_;
};
