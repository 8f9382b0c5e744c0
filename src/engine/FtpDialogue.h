#pragma once

#include "core/SplitUrl.h"
#include "engine/ConnectionFactory.h"
#include "engine/FtpStep.h"

#include <QString>

#include <functional>
#include <memory>

class RateLimiter;
class TextLookup;

// One FTP login that fetches one file: USER and PASS, the data connection
// (PASV, or PORT in active mode; EPSV or EPRT over IPv6, falling back to PASV
// or PORT when the server does not know them), TYPE I, SIZE and MDTM, REST and
// RETR, each sent once and each reply acted on by the command it answers.
class FtpDialogue {
public:
    struct Callbacks {
        // Every reply of the control connection, as received.
        std::function<void(const FtpReply&)> onReply;
        std::function<void(FtpStep)> onStep;
        // What the server says of the file before it is fetched: its size
        // (-1 when SIZE is refused) and its time as MDTM gives it (empty when
        // refused). Returns the offset to fetch from, which may differ from
        // the one the login started with.
        std::function<qint64(qint64 size, const QByteArray& modified)> onFileFacts;
        // The server starts sending a file of `size` bytes (-1 when it does
        // not say); false stops the login here.
        std::function<bool(qint64 size, bool resumed)> onTransferStarts;
        std::function<void(const char* data, qsizetype size)> onData;
        // REST refused: the file is fetched from its start.
        std::function<void()> onRestRefused;
        // The server has sent the file and the data connection has closed.
        std::function<void()> onEnded;
        std::function<void(const QString& message)> onFail;
        std::function<void()> onLoginRefused;
        std::function<void()> onNotFound;
        // Something the user is told without ending the login.
        std::function<void(const QString& message)> onWarning;
    };

    FtpDialogue(const ConnectionFactory& factory, const TextLookup& text, Callbacks callbacks);

    void setLimiter(RateLimiter* limiter) { limiter_ = limiter; }
    // Logs in to the server of `parts` and fetches its file from the 0-based
    // `offset`, in passive mode or in active mode.
    void start(const UrlParts& parts, qint64 offset, bool passive);
    void close();
    FtpStep step() const { return step_; }
    // The data connection's port: the server's in passive mode, ours in active mode.
    quint16 dataPort() const { return dataPort_; }

    // One reply of the control connection.
    void StartLoginFTP(const FtpReply& reply);

private:
    void setStep(FtpStep step);
    void setUpData();
    bool sendPort(bool extended);
    void dataSettled();
    void factReply(const FtpReply& reply);
    void sendRetr();
    void retrReply(const FtpReply& reply);
    void transferStarts(const FtpReply& reply);
    void checkEnd();
    QString text(const char* key, const QString& fallback) const;

    const ConnectionFactory& factory_;
    const TextLookup& text_;
    Callbacks callbacks_;
    std::unique_ptr<FtpControl> control_;
    RateLimiter* limiter_ = nullptr;
    UrlParts parts_;
    qint64 offset_ = 0;
    bool passive_ = true;
    FtpStep step_ = FtpStep::Idle;
    int dataReplies_ = 0; // replies to TYPE (and PORT or EPRT) still to come before REST
    bool restAccepted_ = false;
    qint64 remoteSize_ = -1;
    quint16 dataPort_ = 0;
};
