#pragma once

#include "support/PeerServer.h"

// The scripted fault server (fault_server.py beside this file), serving files
// from a folder. The request path picks the misbehaviour, for example
// url("/close-after/1000/file.bin"); the script's header lists the words.
// Its access log has a line per request, written when the request arrives
// (so without status and bytes).
class FaultServer : public PeerServer {
public:
    explicit FaultServer(QString documentRoot);

protected:
    QStringList prepare(quint16 port) override;
    bool announcesPort() const override { return true; }

private:
    QString documentRoot_;
};
