#include "rpc/WebSocketCodec.h"

#include <QCryptographicHash>
#include <QtEndian>

namespace {

constexpr quint16 kProtocolError = 1002;
constexpr quint16 kTooBig = 1009;
constexpr quint16 kNormal = 1000;

} // namespace

QByteArray WebSocketCodec::acceptKey(const QByteArray& key)
{
    static const QByteArray guid("258EAFA5-E914-47DA-95CA-C5AB0DC85B11");
    return QCryptographicHash::hash(key.trimmed() + guid, QCryptographicHash::Sha1).toBase64();
}

QByteArray WebSocketCodec::frame(quint8 opcode, const QByteArray& payload)
{
    QByteArray out;
    out.append(static_cast<char>(0x80 | opcode));
    const quint64 size = static_cast<quint64>(payload.size());
    if (size < 126) {
        out.append(static_cast<char>(size));
    } else if (size <= 0xFFFF) {
        out.append(static_cast<char>(126));
        char length[2];
        qToBigEndian(static_cast<quint16>(size), length);
        out.append(length, 2);
    } else {
        out.append(static_cast<char>(127));
        char length[8];
        qToBigEndian(size, length);
        out.append(length, 8);
    }
    return out + payload;
}

QByteArray WebSocketCodec::textFrame(const QByteArray& payload)
{
    return frame(Text, payload);
}

QByteArray WebSocketCodec::closeFrame(quint16 code)
{
    char status[2];
    qToBigEndian(code, status);
    return frame(Close, QByteArray(status, 2));
}

void WebSocketCodec::fail(Read& read, quint16 code)
{
    read.reply += closeFrame(code);
    read.closed = true;
}

WebSocketCodec::Read WebSocketCodec::feed(const QByteArray& bytes)
{
    Read read;
    buffer_ += bytes;
    while (!read.closed && buffer_.size() >= 2) {
        const auto first = static_cast<quint8>(buffer_[0]);
        const auto second = static_cast<quint8>(buffer_[1]);
        const bool fin = first & 0x80;
        const quint8 opcode = first & 0x0F;
        const bool control = opcode >= Close;
        quint64 size = second & 0x7F;
        qsizetype head = 2;
        if (size == 126 && buffer_.size() >= 4) {
            size = qFromBigEndian<quint16>(buffer_.constData() + 2);
            head = 4;
        } else if (size == 127 && buffer_.size() >= 10) {
            size = qFromBigEndian<quint64>(buffer_.constData() + 2);
            head = 10;
        } else if (size >= 126) {
            break; // the length is not all in yet
        }
        // Clients mask every frame; reserved bits and opcodes are not used.
        if ((first & 0x70) || !(second & 0x80) || (opcode > Binary && !control) || opcode > Pong
            || (control && (!fin || size > 125)) || (!control && (opcode == Continuation) != inMessage_)) {
            fail(read, kProtocolError);
            break;
        }
        if (size > static_cast<quint64>(kMostBytes - message_.size())) {
            fail(read, kTooBig);
            break;
        }
        if (buffer_.size() < head + 4 + static_cast<qsizetype>(size))
            break;
        const QByteArray mask = buffer_.mid(head, 4);
        QByteArray payload = buffer_.mid(head + 4, static_cast<qsizetype>(size));
        buffer_.remove(0, head + 4 + static_cast<qsizetype>(size));
        for (qsizetype i = 0; i < payload.size(); ++i)
            payload[i] = static_cast<char>(payload[i] ^ mask[i % 4]);

        if (opcode == Ping) {
            read.reply += frame(Pong, payload);
        } else if (opcode == Close) {
            fail(read, kNormal);
        } else if (opcode != Pong) {
            message_ += payload;
            inMessage_ = !fin;
            if (fin) {
                read.messages.append(message_);
                message_.clear();
            }
        }
    }
    return read;
}
