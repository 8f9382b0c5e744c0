#pragma once

#include <QByteArray>
#include <QList>

// The server's side of a WebSocket (RFC 6455) after its handshake: reads the
// client's masked frames, joins fragmented messages, answers pings and the
// closing handshake, and writes unmasked text frames. No extensions are
// offered, so none are read.
class WebSocketCodec {
public:
    // The largest frame, and the largest message its fragments make.
    static constexpr qsizetype kMostBytes = 1 << 20;

    struct Read {
        QList<QByteArray> messages; // whole text and binary messages
        QByteArray reply;           // pongs and a close frame, to send back
        bool closed = false;        // the connection ends after `reply`
    };

    // Sec-WebSocket-Accept for a Sec-WebSocket-Key.
    static QByteArray acceptKey(const QByteArray& key);
    static QByteArray textFrame(const QByteArray& payload);
    static QByteArray closeFrame(quint16 code);

    // Takes the next bytes from the client.
    Read feed(const QByteArray& bytes);
    // Part of a frame is waiting for the rest.
    bool hasPartialFrame() const { return !buffer_.isEmpty() || !message_.isEmpty(); }

private:
    enum Opcode : quint8 { Continuation = 0, Text = 1, Binary = 2, Close = 8, Ping = 9, Pong = 10 };

    static QByteArray frame(quint8 opcode, const QByteArray& payload);
    // Ends the connection with a close frame carrying `code`.
    static void fail(Read& read, quint16 code);

    QByteArray buffer_;
    QByteArray message_;
    bool inMessage_ = false;
};
