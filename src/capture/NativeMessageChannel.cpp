#include "capture/NativeMessageChannel.h"

#include <QIODevice>
#include <QJsonDocument>

#include <cstring>

NativeMessageChannel::NativeMessageChannel(QIODevice& in, QIODevice& out)
    : in_(in)
    , out_(out)
{
}

NativeMessageChannel::Incoming NativeMessageChannel::read()
{
    Incoming incoming;
    const QByteArray header = readUpTo(sizeof(quint32));
    if (header.isEmpty())
        return incoming;
    if (header.size() < qsizetype(sizeof(quint32))) {
        incoming.status = Status::Truncated;
        return incoming;
    }
    std::memcpy(&incoming.length, header.constData(), sizeof incoming.length);
    if (incoming.length > kMaxMessageBytes) {
        incoming.status = Status::TooLarge;
        return incoming;
    }
    incoming.body = readUpTo(incoming.length);
    incoming.status = incoming.body.size() == qsizetype(incoming.length) ? Status::Message : Status::Truncated;
    return incoming;
}

bool NativeMessageChannel::write(const QJsonObject& message)
{
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    const quint32 length = static_cast<quint32>(body.size());
    QByteArray frame(sizeof length, Qt::Uninitialized);
    std::memcpy(frame.data(), &length, sizeof length);
    frame += body;
    return out_.write(frame) == frame.size();
}

QByteArray NativeMessageChannel::readUpTo(qint64 size)
{
    QByteArray bytes;
    while (bytes.size() < size) {
        const QByteArray chunk = in_.read(size - bytes.size());
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    return bytes;
}
