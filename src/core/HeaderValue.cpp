#include "core/HeaderValue.h"

QString GetHeaderValue(const QString& reply, const QString& key)
{
    if (reply.isEmpty() || key.isEmpty())
        return {};
    const qsizetype at = reply.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const qsizetype start = at + key.size() + 1;
    if (start >= reply.size())
        return {};
    const qsizetype end = reply.indexOf(QStringLiteral("\r\n"), start);
    return reply.mid(start, end < 0 ? -1 : end - start);
}
