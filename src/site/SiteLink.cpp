#include "site/SiteLink.h"

#include "core/NetworkName.h"
#include "site/CrawlRoot.h"

#include <QStringList>

namespace {

int portOf(const QUrl& url)
{
    return url.port(url.scheme() == QStringLiteral("ftp") ? 21 : 80);
}

bool sameServer(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host() == b.host() && portOf(a) == portOf(b);
}

// A path part as it is written to disk: decoded, and never one that names
// another folder than a child of the one it lies in.
bool isSafePart(const QString& part)
{
    return !part.isEmpty() && part != QStringLiteral(".") && part != QStringLiteral("..")
        && !part.contains(QLatin1Char('/')) && !part.contains(QLatin1Char('\\')) && !part.contains(QChar(u'\0'));
}

} // namespace

SiteLink SiteLink::resolve(const QString& link, const QUrl& page, const CrawlRoot& root)
{
    SiteLink result;
    QString text = link.trimmed();
    // Browsers read a backslash in a web address as a slash.
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QUrl reference(text, QUrl::TolerantMode);
    const QString scheme = reference.scheme();
    if (scheme == QStringLiteral("mailto") || scheme == QStringLiteral("javascript")
        || scheme == QStringLiteral("data")) {
        result.skip = Skip::NotAFile;
        return result;
    }
    const QUrl resolved = page.resolved(reference).adjusted(QUrl::RemoveFragment);
    if (!resolved.isValid() || !sameServer(resolved, root.base)) {
        result.skip = Skip::OtherServer;
        return result;
    }
    const QString path = resolved.path(QUrl::FullyEncoded);
    const QString basePath = root.base.path(QUrl::FullyEncoded);
    if (!path.startsWith(basePath)) {
        result.skip = Skip::OutsideFolder;
        return result;
    }
    const QString below = path.mid(basePath.size());
    if (below.isEmpty() || below.endsWith(QLatin1Char('/'))) {
        result.skip = Skip::NoFileName;
        return result;
    }
    QStringList parts;
    for (const QString& encoded : below.split(QLatin1Char('/'))) {
        const QString part = QUrl::fromPercentEncoding(encoded.toUtf8());
        if (!isSafePart(part)) {
            result.skip = Skip::UnsafeName;
            return result;
        }
        parts.append(NetworkName::withoutBidiControls(part));
    }
    const QString name = parts.last();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    result.ext = dot < 0 ? QString() : name.mid(dot + 1).toLower();
    // Addresses that differ in their query are different files.
    if (resolved.hasQuery())
        parts.last() += QLatin1Char('?')
            + resolved.query(QUrl::FullyEncoded).replace(QLatin1Char('/'), QStringLiteral("%2F"));
    result.url = resolved.toString(QUrl::FullyEncoded);
    result.savePath = root.folder + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    return result;
}
