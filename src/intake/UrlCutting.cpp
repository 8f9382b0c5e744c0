#include "intake/UrlCutting.h"

#include "core/UrlHostPart.h"

QString GetFileName(const QString& url)
{
    const UrlHostPart cut = UrlHostPart::of(url);
    return cut.afterHost.mid(cut.afterHost.lastIndexOf(QLatin1Char('/')) + 1);
}

QString GetExtensionName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

QString GetServerName(const QString& url)
{
    return UrlHostPart::of(url).server;
}
