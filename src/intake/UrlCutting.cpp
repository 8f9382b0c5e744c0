#include "intake/UrlCutting.h"

#include "core/SplitUrl.h"

namespace {

struct Cut {
    QString server;
    QString path;
};

Cut cut(const QString& url)
{
    QString rest = UnwrapLocalPage(url);
    const qsizetype schemeEnd = rest.indexOf(QStringLiteral("://"));
    if (schemeEnd >= 0)
        rest = rest.mid(schemeEnd + 3);
    const bool http = url.contains(QStringLiteral("http://"), Qt::CaseInsensitive);
    if (!http) {
        const qsizetype at = rest.indexOf(QLatin1Char('@'));
        if (at >= 0)
            rest = rest.mid(at + 1);
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {rest, QString()};
    return {rest.left(slash), http ? rest.mid(slash) : rest.mid(slash + 1)};
}

} // namespace

QString GetFileName(const QString& url)
{
    const QString path = cut(url).path;
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString GetServerName(const QString& url)
{
    return cut(url).server;
}
