#pragma once

#include "support/FtpPeerServer.h"

// vsftpd serving a document root to anonymous users (no password asked),
// read-only, passive (on a range of free ports) and active. It runs as the
// user who starts it, so it needs no system account, but then it neither
// changes its root (paths are relative to the login folder, which is the
// document root: RETR file.bin, CWD sub; an absolute path names the
// machine's own files) nor accepts named users: those log in on
// PyftpdlibServer. Its command log comes from vsftpd's protocol log.
class VsftpdServer : public FtpPeerServer {
public:
    explicit VsftpdServer(QString documentRoot);

protected:
    QStringList prepare(quint16 port) override;

private:
    QString documentRoot_;
};
