#pragma once

#include "engine/FtpDialogue.h"

#include <QtGlobal>

class DownloadJob;
class RateLimiter;

// The FTP side of a download job: one login for each start or resume, from
// the position where the file stands less the rollback; the file's size from
// the server's 150 reply; its bytes written in order, and never more than
// the server announced.
class FtpDownload {
public:
    explicit FtpDownload(DownloadJob& job);

    void setLimiter(RateLimiter* limiter) { dialogue_.setLimiter(limiter); }
    // A new start: a resume goes on from the end of the existing file.
    void start(bool resume);
    // A resume from where the transfer stands.
    void resume();
    void close() { dialogue_.close(); }
    FtpStep step() const { return dialogue_.step(); }
    quint16 dataPort() const { return dialogue_.dataPort(); }

private:
    void connect();
    void stepReached(FtpStep step);
    bool transferStarts(qint64 size, bool restAccepted);
    void data(const char* bytes, qsizetype size);
    void restRefused();
    void ended();
    void notFound();
    void loginRefused();

    DownloadJob& job_;
    FtpDialogue dialogue_;
    bool resuming_ = false; // the transfer continues a partial file
};
