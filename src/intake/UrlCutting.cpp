#include "intake/UrlCutting.h"

#include "core/UrlHostPart.h"

QString GetFileName(const QString& url)
{
    const UrlHostPart cut = UrlHostPart::of(url);
    return cut.afterHost.mid(cut.afterHost.lastIndexOf(QLatin1Char('/')) + 1);
}

QString GetServerName(const QString& url)
{
    return UrlHostPart::of(url).server;
}
