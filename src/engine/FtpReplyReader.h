#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One complete reply on an FTP control connection.
struct FtpReply {
    int code = 0;
    QString text; // every line of the reply, joined by CR LF
    // The verb of the command the reply answers ("USER", "PORT", "RETR"),
    // empty for the greeting and for replies nothing asked for.
    QByteArray command;
};

// Splits the bytes of an FTP control connection into complete replies, in
// order, however they arrive: a reply split over several reads, several
// replies in one read, and multi-line replies ("220-Welcome" ... "220 Ready"),
// which end at the first line that starts with the same code and a blank.
class FtpReplyReader {
public:
    static constexpr qsizetype kMaxReplyBytes = 64 * 1024;

    QList<FtpReply> feed(const QByteArray& bytes);
    void reset();
    // The server sent more than kMaxReplyBytes without ending a reply.
    bool overflowed() const { return overflowed_; }

private:
    QByteArray pending_;
    QStringList lines_;
    int multiLineCode_ = 0;
    bool overflowed_ = false;
};
