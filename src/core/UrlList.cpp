#include "core/UrlList.h"

#include <QRegularExpression>

QStringList UrlList::parse(const QString& text)
{
    QStringList urls;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : text.split(lineEnd)) {
        const QString url = line.trimmed();
        if (!url.isEmpty() && !url.startsWith(QLatin1Char('#')))
            urls.append(url);
    }
    return urls;
}

bool UrlList::isList(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}
