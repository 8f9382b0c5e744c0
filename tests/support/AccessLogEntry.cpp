#include "support/AccessLogEntry.h"

#include <QStringList>

namespace {

QString valueOf(const QString& field)
{
    return field == QStringLiteral("-") ? QString() : field;
}

} // namespace

std::optional<AccessLogEntry> AccessLogEntry::parse(const QString& line)
{
    const QStringList fields = line.split(QLatin1Char('|'));
    if (fields.size() < 5)
        return std::nullopt;
    // The request line and the range never hold a '|'; a user agent may, so it
    // takes whatever lies between them and the last two fields.
    AccessLogEntry entry;
    entry.request = valueOf(fields.first());
    entry.range = valueOf(fields.at(1));
    entry.userAgent = valueOf(fields.mid(2, fields.size() - 4).join(QLatin1Char('|')));
    bool ok = false;
    const int status = fields.at(fields.size() - 2).toInt(&ok);
    entry.status = ok ? status : 0;
    const qint64 bytes = fields.last().toLongLong(&ok);
    entry.bytes = ok ? bytes : -1;
    return entry;
}
