#include "engine/ContentRange.h"

std::optional<ContentRange> ContentRange::parse(const QByteArray& value)
{
    const QByteArray text = value.trimmed();
    if (!text.startsWith("bytes"))
        return std::nullopt;
    const QByteArray rest = text.mid(5).trimmed();
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0)
        return std::nullopt;
    ContentRange range;
    bool ok = true;
    const QByteArray span = rest.left(slash);
    if (span != "*") {
        const qsizetype dash = span.indexOf('-');
        range.first = span.left(dash).toLongLong(&ok);
        if (!ok || dash < 0)
            return std::nullopt;
        range.last = span.mid(dash + 1).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QByteArray total = rest.mid(slash + 1);
    if (total != "*") {
        range.total = total.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    return range;
}
