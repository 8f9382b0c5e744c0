#include "core/CookieFile.h"

#include <QList>

#include <algorithm>
#include <optional>

namespace {

const QByteArray kHttpOnlyPrefix = "#HttpOnly_";

struct Cookie {
    QString domain; // lower case, without a leading dot
    bool includeSubdomains = false;
    QByteArray path;
    bool secure = false;
    qint64 expiry = 0;
    QByteArray name;
    QByteArray value;
};

std::optional<bool> flag(const QByteArray& field)
{
    if (field.compare("TRUE", Qt::CaseInsensitive) == 0)
        return true;
    if (field.compare("FALSE", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

// The cookie of one line; nothing for a comment, a blank line or a malformed one.
std::optional<Cookie> parseLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith(kHttpOnlyPrefix))
        line.remove(0, kHttpOnlyPrefix.size());
    else if (line.startsWith('#'))
        return std::nullopt;
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 6 && fields.size() != 7)
        return std::nullopt;
    const std::optional<bool> includeSubdomains = flag(fields[1]);
    const std::optional<bool> secure = flag(fields[3]);
    bool expiryOk = false;
    const qint64 expiry = fields[4].toLongLong(&expiryOk);
    QString domain = QString::fromUtf8(fields[0]).toLower();
    const bool leadingDot = domain.startsWith(QLatin1Char('.'));
    if (leadingDot)
        domain.remove(0, 1);
    if (domain.isEmpty() || !includeSubdomains || !secure || !expiryOk || fields[5].isEmpty())
        return std::nullopt;
    return Cookie {domain,
                   leadingDot || *includeSubdomains,
                   fields[2].isEmpty() ? QByteArray("/") : fields[2],
                   *secure,
                   expiry,
                   fields[5],
                   fields.size() == 7 ? fields[6] : QByteArray()};
}

bool domainMatches(const Cookie& cookie, const QString& host)
{
    return host == cookie.domain || (cookie.includeSubdomains && host.endsWith(QLatin1Char('.') + cookie.domain));
}

// The cookie path is the request path, or a part of it that ends at a slash.
bool pathMatches(const QByteArray& cookiePath, const QByteArray& requestPath)
{
    if (!requestPath.startsWith(cookiePath))
        return false;
    return requestPath.size() == cookiePath.size() || cookiePath.endsWith('/') || requestPath[cookiePath.size()] == '/';
}

} // namespace

QByteArray CookieFile::cookieHeader(const QByteArray& text, const QUrl& url, const QDateTime& now)
{
    const QString host = url.host().toLower();
    QByteArray requestPath = url.path(QUrl::FullyEncoded).toUtf8();
    if (!requestPath.startsWith('/'))
        requestPath = "/";
    const bool https = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const qint64 nowSeconds = now.toSecsSinceEpoch();

    QList<Cookie> applying;
    for (const QByteArray& line : text.split('\n')) {
        const std::optional<Cookie> cookie = parseLine(line);
        if (!cookie || !domainMatches(*cookie, host) || !pathMatches(cookie->path, requestPath)
            || (cookie->secure && !https) || (cookie->expiry != 0 && cookie->expiry <= nowSeconds))
            continue;
        applying.append(*cookie);
    }
    std::stable_sort(applying.begin(), applying.end(),
                     [](const Cookie& a, const Cookie& b) { return a.path.size() > b.path.size(); });

    QByteArrayList pairs;
    for (const Cookie& cookie : applying)
        pairs.append(cookie.name + '=' + cookie.value);
    return pairs.join("; ");
}
