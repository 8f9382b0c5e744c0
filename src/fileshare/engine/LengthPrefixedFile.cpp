#include "fileshare/engine/LengthPrefixedFile.h"

#include "platform/AtomicFile.h"

#include <QFile>

QByteArray LengthPrefixedFile::encode(const QByteArray& text)
{
    QByteArray data;
    data.reserve(text.size() + 4);
    appendNumber(data, static_cast<quint32>(text.size()));
    data += text;
    return data;
}

std::optional<QByteArray> LengthPrefixedFile::decode(const QByteArray& data)
{
    const auto length = numberAt(data, 0);
    if (!length || *length > static_cast<quint64>(data.size() - 4))
        return std::nullopt;
    return data.mid(4, static_cast<qsizetype>(*length));
}

std::optional<QByteArray> LengthPrefixedFile::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decode(file.readAll());
}

bool LengthPrefixedFile::write(const QString& path, const QByteArray& text)
{
    return AtomicFile::write(path, encode(text));
}

void LengthPrefixedFile::appendNumber(QByteArray& data, quint32 number)
{
    for (int shift = 0; shift < 32; shift += 8)
        data += static_cast<char>((number >> shift) & 0xFF);
}

std::optional<quint32> LengthPrefixedFile::numberAt(const QByteArray& data, qsizetype offset)
{
    if (offset < 0 || data.size() - offset < 4)
        return std::nullopt;
    quint32 number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | static_cast<quint8>(data[offset + i]);
    return number;
}
