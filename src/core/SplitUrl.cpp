#include "core/SplitUrl.h"

#include <QUrl>

namespace {

const QString kHttp = QStringLiteral("http://");
const QString kFtp = QStringLiteral("ftp://");

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

QString UnwrapLocalPage(const QString& url)
{
    const bool wrapped = url.startsWith(QStringLiteral("res://"), Qt::CaseInsensitive)
                      || url.mid(1, 2) == QStringLiteral(":\\");
    if (!wrapped)
        return url;
    QString inner = url;
    for (const QString& scheme : {kHttp, kFtp}) {
        const qsizetype at = inner.indexOf(scheme, 0, Qt::CaseInsensitive);
        if (at > 0)
            inner = inner.mid(at);
    }
    return inner;
}

bool HasDownloadScheme(const QString& url)
{
    return url.startsWith(kHttp, Qt::CaseInsensitive) || url.startsWith(kFtp, Qt::CaseInsensitive);
}

UrlParts SplitUrl(const QString& url, const QList<SiteLogin>& logins)
{
    QString rest = UnwrapLocalPage(url);
    const qsizetype schemeEnd = rest.indexOf(QStringLiteral("://"));
    if (schemeEnd >= 0)
        rest = rest.mid(schemeEnd + 3);

    UrlParts parts;
    parts.IsHTTP = url.contains(kHttp, Qt::CaseInsensitive);
    parts.IsFTP = !parts.IsHTTP;

    QString host;
    QString remotePath;
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? rest : rest.left(slash);
    const QString afterHost = slash < 0 ? QString() : rest.mid(slash);

    if (parts.IsHTTP) {
        // HTTP jobs take credentials only from the stored logins; a
        // "user:password@" in the address is not part of the host.
        authority = authority.mid(authority.lastIndexOf(QLatin1Char('@')) + 1);
        const HostPort hostPort = splitHostPort(authority, 80);
        host = hostPort.host;
        parts.Port = hostPort.port;
        remotePath = afterHost;
    } else {
        // Credentials come before the host; an "@" further on belongs to the path.
        const qsizetype at = authority.indexOf(QLatin1Char('@'));
        if (at >= 0) {
            const QString credentials = authority.left(at);
            const qsizetype colon = credentials.indexOf(QLatin1Char(':'));
            parts.UserName = decoded(colon < 0 ? credentials : credentials.left(colon));
            parts.Password = colon < 0 ? QString() : decoded(credentials.mid(colon + 1));
            authority = authority.mid(at + 1);
        } else {
            parts.UserName = QStringLiteral("anonymous");
            parts.Password = kAnonymousPassword;
        }
        const HostPort hostPort = splitHostPort(authority, 21);
        host = hostPort.host;
        parts.Port = hostPort.port;
        // The server takes names as they are: the whole path is decoded once.
        remotePath = decoded(afterHost.mid(1));
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
    parts.Server = host.trimmed();
    return parts;
}
