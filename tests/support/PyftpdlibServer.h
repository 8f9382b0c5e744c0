#pragma once

#include "support/FtpPeerServer.h"

// pyftpdlib serving a document root as `/` through ftp_server.py beside this
// file, which is also the scripted FTP fault server. Anonymous users log in
// with any password; addUser() adds a named one. The file path picks a
// misbehaviour of the transfer, for example url("/early-226/file.bin"), and
// the setters below (called before start()) change every session; the
// script's header lists both. Passive ports are picked by the system.
class PyftpdlibServer : public FtpPeerServer {
public:
    explicit PyftpdlibServer(QString documentRoot);

    // A user who logs in with this password; any other password gets 530.
    void setUser(const QString& name, const QString& password);
    // The address that 227 replies name instead of 127.0.0.1, where the data
    // port still listens: "0.0.0.0", or an unreachable "10.255.255.1".
    void setPassiveAddress(const QString& address);
    // Answers every REST with `code` (550, 504) instead of 350.
    void setRestReply(int code);
    // Sends the 220 greeting and the 230 reply in several lines.
    void sendMultiLineReplies();
    // Sends replies that are due together in one write: those to commands
    // that arrived together, and the 150 of RETR with its 226.
    void coalesceReplies();
    // Takes up PORT late, so that the reply to TYPE I sent after it comes first.
    void slowPortReplies();
    // Listens on the IPv6 loopback address ::1 instead of 127.0.0.1, where
    // the data connection can only be set up with EPSV or EPRT.
    void listenOnIpv6();

    // Debian installs the module for /usr/bin/python3 only.
    bool isInstalled() const override;

protected:
    QStringList prepare(quint16 port) override;
    bool announcesPort() const override { return true; }
    QHostAddress listenAddress() const override { return listenAddress_; }

private:
    QString documentRoot_;
    QStringList options_;
    QHostAddress listenAddress_ {QHostAddress::LocalHost};
};
