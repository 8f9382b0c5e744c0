#pragma once

#include <QByteArray>

// Everything a server sent back to one raw HTTP request, how the connection
// ended, and how many reads it took to get the header block. Accessors look
// at the first response in the bytes.
class RawHttpReply {
public:
    enum class Ending { Closed, Reset, TimedOut, NotConnected };

    RawHttpReply(QByteArray bytes, Ending ending, int headerReads);

    const QByteArray& bytes() const { return bytes_; }
    Ending ending() const { return ending_; }
    int headerReads() const { return headerReads_; }

    // The status code, 0 when no status line came.
    int status() const;
    // The first header of that name (case-insensitive), trimmed; null when absent.
    QByteArray header(const QByteArray& name) const;
    // Everything after the header block.
    QByteArray body() const;

private:
    qsizetype headerEnd() const;

    QByteArray bytes_;
    Ending ending_;
    int headerReads_;
};
