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
    // Connects the data connection for a 227 reply; false when it names no address.
    virtual bool connectPassive(const QString& replyText, quint16* port) = 0;
    // Listens for the server's data connection; the argument of the PORT
    // command, or nothing when no port is free.
    virtual std::optional<QByteArray> listenActive(quint16* port) = 0;
    // Hands over the data kept so far, and from now on each piece as it comes.
    virtual void releaseData() = 0;
    virtual bool dataClosed() const = 0;
};
