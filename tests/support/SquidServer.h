#pragma once

#include "support/ProxyPeerServer.h"

// squid in the foreground, caching nothing: an HTTP proxy that also fetches
// ftp:// files and opens CONNECT tunnels, optionally asking for a Basic
// login (checked by squid's own helper).
class SquidServer : public ProxyPeerServer {
public:
    SquidServer();

    void requireLogin(const QString& user, const QString& password) override;
    QString log() const override;

protected:
    QStringList prepare(quint16 port) override;

private:
    QString login_; // user:password
};
