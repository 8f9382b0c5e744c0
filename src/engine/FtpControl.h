#pragma once

#include "engine/FtpReplyReader.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class RateLimiter;

// The two connections of an FTP transfer as the FTP dialogue uses them: the
// control connection, whose replies come matched to the command they answer,
// and the data connection. Tests script a server through this interface.
class FtpControl {
public:
    struct Callbacks {
        std::function<void(const FtpReply&)> onReply;
        std::function<void(const char* data, qsizetype size)> onData;
        std::function<void()> onDataClosed;
        // The control connection could not be made or broke.
        std::function<void(const QString& description)> onControlError;
        std::function<void(const QString& description)> onDataError;
    };

    virtual ~FtpControl() = default;

    // Data reads go through `limiter` (shared by every connection; it must outlive this).
    virtual void setLimiter(RateLimiter* limiter) = 0;
    virtual void open(const QString& host, int port) = 0;
    virtual void close() = 0;
    // Sends one command; CR LF is added.
    virtual void send(const QByteArray& command) = 0;
    // The control connection runs over IPv6, whose addresses PASV and PORT
    // cannot carry: the data connection is set up with EPSV or EPRT.
    virtual bool overIpv6() const = 0;
    // Connects the data connection for a 227 reply (address and port) or a
    // 229 reply (the port on the control connection's peer); false when it
    // names no address.
    virtual bool connectPassive(const QString& replyText, quint16* port) = 0;
    // Listens for the server's data connection; the argument of the EPRT
    // command when `extended`, else of the PORT command; nothing when no port
    // is free, or for PORT when the local address is no IPv4 one.
    virtual std::optional<QByteArray> listenActive(bool extended, quint16* port) = 0;
    // Hands over the data kept so far, and from now on each piece as it comes.
    virtual void releaseData() = 0;
    virtual bool dataClosed() const = 0;
};
