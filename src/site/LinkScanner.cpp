#include "site/LinkScanner.h"

#include <QRegularExpression>

QStringList LinkScanner::linksIn(const QString& line)
{
    static const QRegularExpression kKey(QStringLiteral("(?:src|href)=([\"'])"),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList links;
    qsizetype from = 0;
    while (true) {
        const QRegularExpressionMatch key = kKey.match(line, from);
        if (!key.hasMatch())
            break;
        const qsizetype start = key.capturedEnd();
        const qsizetype close = line.indexOf(key.captured(1), start);
        if (close < 0) {
            from = start;
            continue;
        }
        links.append(line.mid(start, close - start));
        from = close + 1;
    }
    return links;
}
