#pragma once

#include <QByteArray>
#include <QJsonObject>

class QIODevice;

// Native messaging, the way browsers talk to a helper program on its
// standard input and output: each message is a 4-byte length in the
// machine's byte order followed by that many bytes of UTF-8 JSON. Reads
// block until a whole message is there or the input ends.
class NativeMessageChannel {
public:
    // The largest message read (and written): the browsers' own limit for a
    // helper's messages. A URL is far smaller.
    static constexpr quint32 kMaxMessageBytes = 1024 * 1024;

    NativeMessageChannel(QIODevice& in, QIODevice& out);

    enum class Status {
        Message,   // body holds a whole message
        End,       // the input ended between messages
        Truncated, // the input ended inside a message
        TooLarge,  // the length is over kMaxMessageBytes; length holds it
    };
    struct Incoming {
        Status status = Status::End;
        QByteArray body;
        quint32 length = 0;
    };
    Incoming read();

    // False when the output is gone. The output should be unbuffered: the
    // browser waits for the answer.
    bool write(const QJsonObject& message);

private:
    // Up to `size` bytes; fewer only when the input ended.
    QByteArray readUpTo(qint64 size);

    QIODevice& in_;
    QIODevice& out_;
};
