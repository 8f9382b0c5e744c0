#include "core/UrlHostPart.h"

namespace {

const QString kHttp = QStringLiteral("http://");
const QString kHttps = QStringLiteral("https://");
const QString kFtp = QStringLiteral("ftp://");

QString unwrapLocalPage(const QString& url)
{
    const bool wrapped = url.startsWith(QStringLiteral("res://"), Qt::CaseInsensitive)
        || url.mid(1, 2) == QStringLiteral(":\\");
    if (!wrapped)
        return url;
    QString inner = url;
    for (const QString& scheme : {kHttp, kHttps, kFtp}) {
        const qsizetype at = inner.indexOf(scheme, 0, Qt::CaseInsensitive);
        if (at > 0)
            inner = inner.mid(at);
    }
    return inner;
}

} // namespace

UrlHostPart UrlHostPart::of(const QString& url)
{
    QString rest = unwrapLocalPage(url);
    // The fragment is the browser's own: it never goes to a server or into a
    // file name.
    if (const qsizetype fragment = rest.indexOf(QLatin1Char('#')); fragment >= 0)
        rest.truncate(fragment);
    const qsizetype schemeEnd = rest.indexOf(QStringLiteral("://"));
    if (schemeEnd >= 0)
        rest = rest.mid(schemeEnd + 3);

    UrlHostPart parts;
    parts.isHttps = url.contains(kHttps, Qt::CaseInsensitive);
    parts.isHttp = parts.isHttps || url.contains(kHttp, Qt::CaseInsensitive);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    parts.hostPart = slash < 0 ? rest : rest.left(slash);
    parts.afterHost = slash < 0 ? QString() : rest.mid(slash);
    parts.server = parts.hostPart;
    if (!parts.isHttp) {
        const qsizetype at = parts.hostPart.indexOf(QLatin1Char('@'));
        if (at >= 0) {
            parts.hasCredentials = true;
            parts.credentials = parts.hostPart.left(at);
            parts.server = parts.hostPart.mid(at + 1);
        }
    }
    return parts;
}
