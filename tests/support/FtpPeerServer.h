#pragma once

#include "support/FtpCommand.h"
#include "support/PeerServer.h"

// An FTP peer: its url() is ftp://127.0.0.1:PORT/path, and it logs the
// commands it receives, one by one, as they arrive.
class FtpPeerServer : public PeerServer {
public:
    // The commands received so far, in order. Waits (a few seconds at most)
    // until at least `atLeast` are there.
    QList<FtpCommand> commandLog(qsizetype atLeast = 0) const { return logEntries<FtpCommand>(atLeast); }

protected:
    using PeerServer::PeerServer;

    QString scheme() const override { return QStringLiteral("ftp"); }
};
