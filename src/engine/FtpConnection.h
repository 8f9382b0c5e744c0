#pragma once

#include "engine/FtpControl.h"
#include "engine/FtpReplyReader.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The two connections of an FTP transfer: the control connection, read as
// complete replies, and the data connection, passive (we connect to the
// address of a 227 reply) or active (the server connects to a port we listen
// on). Data that arrives before the transfer is ready is kept, not lost, until
// releaseData().
//
// Each reply is matched to the command it answers: servers answer commands in
// the order they were sent, a 1xx reply is followed by the final reply to the
// same command, and a server may answer a command late (pyftpdlib answers PORT
// only once it has connected), so the reply code alone says nothing.
class RateLimiter;

class FtpConnection : public QObject, public FtpControl {
    Q_OBJECT
public:
    explicit FtpConnection(Callbacks callbacks, QObject* parent = nullptr);

    void setLimiter(RateLimiter* limiter) override { limiter_ = limiter; }
    void open(const QString& host, int port) override;
    void close() override;
    // Sends one command; CR LF is added. Its verb is kept until its final
    // reply has arrived.
    void send(const QByteArray& command) override;

    struct PassiveAddress {
        QHostAddress host;
        quint16 port = 0;
    };
    // The host and port of a "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" reply.
    static std::optional<PassiveAddress> parsePassiveReply(const QString& text);
    // The port of a "229 Entering Extended Passive Mode (|||port|)" reply
    // (any printable delimiter in place of "|"); nothing when it names none.
    static std::optional<quint16> parseExtendedPassiveReply(const QString& text);
    // The host to connect to for a 227 address: the control connection's peer
    // when the reply names an address that cannot be reached from here (no
    // address, a private one from a server that is not on a private network,
    // or any IPv4 one when the control connection runs over IPv6).
    static QHostAddress reachableDataHost(const QHostAddress& named, const QHostAddress& controlPeer);
    bool overIpv6() const override;
    // Connects the data connection for a 227 or a 229 reply; false when it
    // names no address.
    bool connectPassive(const QString& replyText, quint16* port) override;

    // Listens for the server's data connection on a port 12 × 256 + p
    // (p from 6 to 139, starting at a random one and skipping ports in use)
    // of the control connection's local address. Returns the argument of the
    // EPRT command, "|1|a.b.c.d|port|" or "|2|v6 address|port|", or of the
    // PORT command, "h1,h2,h3,h4,12,p"; nothing when no port is free, or for
    // PORT when the local address is no IPv4 one.
    std::optional<QByteArray> listenActive(bool extended, quint16* port) override;

    // Hands over the data kept so far, and from now on each piece as it comes.
    void releaseData() override;
    bool dataClosed() const override { return dataClosed_; }

private:
    void deliver(FtpReply reply);
    void adoptDataSocket(QTcpSocket* socket);
    void readData();
    void dataEnded();
    void closeData();

    Callbacks callbacks_;
    QTcpSocket control_;
    FtpReplyReader reader_;
    std::unique_ptr<QTcpSocket> data_;
    QTcpServer listener_;
    QByteArray held_;
    std::deque<QByteArray> sent_;
    std::vector<char> buffer_; // one read of the data connection
    bool open_ = false;
    bool released_ = false;
    bool dataClosed_ = false;
    bool dataEndPending_ = false; // closed by the server, bytes still held back
    RateLimiter* limiter_ = nullptr;
    QTimer readLater_;
};
