#pragma once

#include "support/PeerServer.h"

// A proxy program that a test starts: HTTP requests by their whole URL,
// CONNECT tunnels, and a Basic login it may ask for.
class ProxyPeerServer : public PeerServer {
public:
    // Asks every client for this login (before start()).
    virtual void requireLogin(const QString& user, const QString& password) = 0;
    // What the proxy logged of its requests so far.
    virtual QString log() const = 0;

protected:
    using PeerServer::PeerServer;
};
