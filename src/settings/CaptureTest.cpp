#include "settings/CaptureTest.h"

#include "core/UrlHostPart.h"

#include <QStringList>

namespace {

QStringList entriesOf(const QString& list)
{
    QString cleaned = list;
    cleaned.remove(QLatin1Char(' ')).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    return cleaned.toLower().split(QLatin1Char(';'));
}

} // namespace

QString CaptureTest::serverName(const QString& url)
{
    QString host = UrlHostPart::of(url).hostPart;
    host = host.mid(host.lastIndexOf(QLatin1Char('@')) + 1);
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? host.left(colon) : host;
}

QString CaptureTest::fileName(const QString& url)
{
    const QString path = UrlHostPart::of(url).afterHost;
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool CaptureTest::serverListed(const QString& list, const QString& server)
{
    if (list.isEmpty())
        return false;
    for (const QString& entry : entriesOf(list)) {
        if (entry == server)
            return true;
        const QString tail = entry.mid(entry.lastIndexOf(QLatin1Char('*')) + 1);
        if (!tail.isEmpty() && tail.size() < server.size() && server.endsWith(tail))
            return true;
    }
    return false;
}

bool CaptureTest::typeListed(const QString& list, const QString& fileName)
{
    if (list.isEmpty() || fileName.isEmpty())
        return false;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot >= 0 ? fileName.mid(dot) : fileName;
    for (const QString& entry : entriesOf(list)) {
        if (entry == ext)
            return true;
        if (entry.size() == ext.size() && entry.left(2) == ext.left(2) && entry.indexOf(QLatin1Char('?'), 2) >= 0)
            return true;
    }
    return false;
}
