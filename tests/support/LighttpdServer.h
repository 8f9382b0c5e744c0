#pragma once

#include "support/PeerServer.h"

// lighttpd serving a document root in the foreground, with an access log in
// the layout of the other peers.
class LighttpdServer : public PeerServer {
public:
    explicit LighttpdServer(QString documentRoot);

protected:
    QStringList prepare(quint16 port) override;
    // lighttpd holds access log lines back for seconds; SIGHUP (log rotation)
    // makes it write them out.
    void flushAccessLog() const override;

private:
    QString documentRoot_;
};
