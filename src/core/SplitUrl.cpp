#include "core/SplitUrl.h"

#include "core/HostName.h"
#include "core/UrlHostPart.h"
#include "core/UrlLogin.h"

#include <QUrl>

#include <algorithm>

namespace {

// The whole number at the start of `text`; 0 when there is none or it is no port.
int leadingPort(const QString& text)
{
    qsizetype digits = 0;
    while (digits < text.size() && digits < 6 && text[digits].isDigit())
        ++digits;
    const int port = text.left(digits).toInt();
    return port <= 65535 ? port : 0;
}

QString decoded(const QString& text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

struct HostPort {
    QString host;
    int port;
};

// "host", "host:port", "[v6 address]" or "[v6 address]:port".
HostPort splitHostPort(const QString& hostPart, int defaultPort)
{
    if (hostPart.startsWith(QLatin1Char('['))) {
        const qsizetype close = hostPart.indexOf(QLatin1Char(']'));
        if (close > 0) {
            const QString rest = hostPart.mid(close + 1);
            const int port = rest.startsWith(QLatin1Char(':')) ? leadingPort(rest.mid(1)) : defaultPort;
            return {hostPart.mid(1, close - 1), port};
        }
    }
    const qsizetype colon = hostPart.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {hostPart, defaultPort};
    return {hostPart.left(colon), leadingPort(hostPart.mid(colon + 1))};
}

} // namespace

bool HasDownloadScheme(const QString& url)
{
    return url.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
        || url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive)
        || url.startsWith(QStringLiteral("ftp://"), Qt::CaseInsensitive);
}

bool HasControlCharacter(const QString& url)
{
    return std::any_of(url.begin(), url.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

bool HasValidHost(const QString& url)
{
    return !SplitUrl(url, {}).Server.isEmpty();
}

bool IsDownloadUrl(const QString& url)
{
    return HasDownloadScheme(url) && !HasControlCharacter(url) && HasValidHost(url);
}

UrlParts SplitUrl(const QString& url, const QList<SiteLogin>& logins)
{
    const UrlHostPart cut = UrlHostPart::of(url);
    UrlParts parts;
    parts.IsHTTP = cut.isHttp;
    parts.IsHTTPS = cut.isHttps;
    parts.IsFTP = !parts.IsHTTP;

    QString host;
    QString remotePath;
    if (parts.IsHTTP) {
        // HTTP jobs take credentials from the stored logins here; a
        // "user:password@" in the address is not part of the host (the
        // download takes it out of the address as its login, UrlLogin).
        const HostPort hostPort = splitHostPort(cut.server.mid(cut.server.lastIndexOf(QLatin1Char('@')) + 1),
                                                parts.IsHTTPS ? 443 : 80);
        host = hostPort.host;
        parts.Port = hostPort.port;
        remotePath = cut.afterHost;
    } else {
        if (cut.hasCredentials) {
            const UrlLogin login = UrlLogin::ofUserInfo(cut.credentials);
            parts.UserName = login.userName;
            parts.Password = login.password;
        } else {
            parts.UserName = QStringLiteral("anonymous");
            parts.Password = kAnonymousPassword;
        }
        const HostPort hostPort = splitHostPort(cut.server, 21);
        host = hostPort.host;
        parts.Port = hostPort.port;
        // The server takes names as they are: the whole path is decoded once.
        remotePath = decoded(cut.afterHost.mid(1));
    }

    const qsizetype lastSlash = remotePath.lastIndexOf(QLatin1Char('/'));
    const QString fileName = remotePath.mid(lastSlash + 1);
    QString folder = remotePath.left(lastSlash + 1);
    if (parts.IsHTTP)
        folder.replace(QStringLiteral("%20"), QStringLiteral(" "));

    const SiteLogin stored = LookupSiteLogin(logins, host.trimmed());
    if (!stored.userName.isEmpty() || !stored.password.isEmpty()) {
        parts.UserName = stored.userName;
        parts.Password = stored.password;
    }

    parts.UserName = parts.UserName.trimmed();
    parts.Password = parts.Password.trimmed();
    parts.FileName = fileName.trimmed();
    parts.RemotePath = (folder + fileName).trimmed();
    parts.Server = HostName::onWire(host.trimmed());
    return parts;
}
