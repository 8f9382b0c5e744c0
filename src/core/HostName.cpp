#include "core/HostName.h"

#include <QUrl>

#include <algorithm>

namespace {

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

QString HostName::onWire(const QString& host)
{
    // ASCII names go out as they are written, so that the bytes sent to
    // servers that never see an internationalised name stay the same.
    if (isAscii(host))
        return host;
    return QString::fromLatin1(QUrl::toAce(host));
}

bool HostName::same(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    if (isAscii(a) && isAscii(b))
        return false;
    const QString ascii = onWire(a);
    return !ascii.isEmpty() && ascii.compare(onWire(b), Qt::CaseInsensitive) == 0;
}
