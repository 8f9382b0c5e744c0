#include "support/NativeMessageFrames.h"

#include <cstring>

QByteArray NativeMessageFrames::frame(const QByteArray& body)
{
    return length(static_cast<quint32>(body.size())) + body;
}

QByteArray NativeMessageFrames::length(quint32 length)
{
    QByteArray bytes(sizeof length, Qt::Uninitialized);
    std::memcpy(bytes.data(), &length, sizeof length);
    return bytes;
}

QStringList NativeMessageFrames::bodies(QByteArray output)
{
    QStringList found;
    while (!output.isEmpty()) {
        quint32 size = 0;
        if (output.size() < qsizetype(sizeof size))
            return found << QStringLiteral("<broken>");
        std::memcpy(&size, output.constData(), sizeof size);
        if (output.size() < qsizetype(sizeof size) + qsizetype(size))
            return found << QStringLiteral("<broken>");
        found << QString::fromUtf8(output.mid(sizeof size, size));
        output.remove(0, qsizetype(sizeof size) + qsizetype(size));
    }
    return found;
}
