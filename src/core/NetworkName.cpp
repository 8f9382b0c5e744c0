#include "core/NetworkName.h"

#include "core/UrlHostPart.h"

#include <QUrl>

namespace {

bool isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}

} // namespace

QString NetworkName::withoutBidiControls(const QString& name)
{
    QString result = name;
    for (QChar& c : result) {
        if (isBidiControl(c.unicode()))
            c = QLatin1Char('_');
    }
    return result;
}

QString NetworkName::fileNameOf(const QString& url)
{
    const QString path = UrlHostPart::of(url).afterHost.section(QLatin1Char('?'), 0, 0);
    QString name = QUrl::fromPercentEncoding(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toUtf8());
    for (QChar& c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('_');
    }
    name = withoutBidiControls(name);
    return name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..") ? QStringLiteral("index.html")
                                                                                         : name;
}
