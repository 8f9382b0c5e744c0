#pragma once

#include "engine/FtpDialogue.h"
#include "engine/ResumeFile.h"

#include <QtGlobal>

class ProtocolJob;
class RateLimiter;

// The FTP side of a download job: one login for each start or resume, from
// the position where the file stands less the rollback; the file's size from
// SIZE or the server's 150 reply; its bytes written in order, and never more
// than the server announced. The size and MDTM's time go into the resume
// data; a login that finds them changed fetches the file again from 0.
class FtpDownload {
public:
    explicit FtpDownload(ProtocolJob& job);

    void setLimiter(RateLimiter* limiter) { dialogue_.setLimiter(limiter); }
    // A new start: a resume goes on from the end of the existing file.
    void start(bool resume);
    // A resume from where the transfer stands.
    void resume();
    void close() { dialogue_.close(); }
    FtpStep step() const { return dialogue_.step(); }
    quint16 dataPort() const { return dialogue_.dataPort(); }
    // The size is known, so resume data can say where the file stands.
    bool resumable() const;

private:
    void connect();
    void stepReached(FtpStep step);
    qint64 fileFacts(qint64 size, const QByteArray& modified);
    bool transferStarts(qint64 size, bool restAccepted);
    void data(const char* bytes, qsizetype size);
    void restRefused();
    void ended();
    void loginRefused();

    ProtocolJob& job_;
    FtpDialogue dialogue_;
    bool resuming_ = false; // the transfer continues a partial file
    // What the file on the server was when the bytes in place came: the
    // resume data of an earlier run, or what this job's last login found.
    std::optional<ResumeFile::Loaded> known_;
    qint64 factsSize_ = -1;
    QByteArray modified_;
};
