#include "core/UrlLogin.h"

#include <QUrl>

UrlLogin UrlLogin::split(const QString& url)
{
    UrlLogin login {url, {}, {}};
    if (!url.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
        && !url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive))
        return login;
    const qsizetype start = url.indexOf(QStringLiteral("://")) + 3;
    qsizetype end = start;
    while (end < url.size() && url[end] != QLatin1Char('/') && url[end] != QLatin1Char('?')
           && url[end] != QLatin1Char('#'))
        ++end;
    // The last "@" of the host part ends the login: a password may hold one.
    const qsizetype at = url.lastIndexOf(QLatin1Char('@'), end - 1);
    if (at < start)
        return login;
    login = ofUserInfo(url.mid(start, at - start));
    login.url = url.left(start) + url.mid(at + 1);
    return login;
}

UrlLogin UrlLogin::ofUserInfo(const QString& info)
{
    const qsizetype colon = info.indexOf(QLatin1Char(':'));
    const auto decoded = [](const QString& text) { return QUrl::fromPercentEncoding(text.toUtf8()); };
    return {{}, decoded(colon < 0 ? info : info.left(colon)), colon < 0 ? QString() : decoded(info.mid(colon + 1))};
}
