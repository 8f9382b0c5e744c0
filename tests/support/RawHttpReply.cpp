#include "support/RawHttpReply.h"

#include <QList>

namespace {

const QByteArray kHeaderEnd = QByteArrayLiteral("\r\n\r\n");

} // namespace

RawHttpReply::RawHttpReply(QByteArray bytes, Ending ending, int headerReads)
    : bytes_(std::move(bytes))
    , ending_(ending)
    , headerReads_(headerReads)
{
}

qsizetype RawHttpReply::headerEnd() const
{
    const qsizetype end = bytes_.indexOf(kHeaderEnd);
    return end < 0 ? bytes_.size() : end;
}

int RawHttpReply::status() const
{
    const QList<QByteArray> statusLine = bytes_.left(bytes_.indexOf("\r\n")).split(' ');
    return statusLine.size() >= 2 && statusLine.first().startsWith("HTTP/") ? statusLine.at(1).toInt() : 0;
}

QByteArray RawHttpReply::header(const QByteArray& name) const
{
    const QList<QByteArray> lines = bytes_.left(headerEnd()).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0 && lines.at(i).left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return lines.at(i).mid(colon + 1).trimmed();
    }
    return {};
}

QByteArray RawHttpReply::body() const
{
    return bytes_.mid(headerEnd() + kHeaderEnd.size());
}
