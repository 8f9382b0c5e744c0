#include "engine/RequestIdentity.h"

namespace {

const QByteArray kHeaderLineEnd = "\r\n";

bool named(const std::pair<QByteArray, QByteArray>& header, const char* name)
{
    return header.first.compare(name, Qt::CaseInsensitive) == 0;
}

// The value of the user's own header `name`, when there is one.
std::optional<QByteArray> ownHeader(const RequestOptions& options, const char* name)
{
    for (const auto& header : options.headers) {
        if (named(header, name))
            return header.second;
    }
    return std::nullopt;
}

} // namespace

RequestIdentity::RequestIdentity(RequestOptions options, const QString& originHost)
    : options_(std::move(options))
    , originHost_(originHost)
{
}

QByteArray RequestIdentity::userAgent(const QByteArray& own) const
{
    if (const auto header = ownHeader(options_, "User-Agent"))
        return *header;
    return options_.browser.userAgent.isEmpty() ? own : options_.browser.userAgent.toUtf8();
}

QByteArray RequestIdentity::referer() const
{
    if (const auto header = ownHeader(options_, "Referer"))
        return *header;
    return options_.browser.referrer.toUtf8();
}

QByteArray RequestIdentity::lines(const UrlParts& target, const QByteArray& method,
                                  const QByteArray& requestTarget) const
{
    const bool origin = isOrigin(target.Server);
    QByteArray lines;
    bool ownAuthorization = false;
    for (const auto& header : options_.headers) {
        if (named(header, "User-Agent") || named(header, "Referer"))
            continue;
        const bool private_ = named(header, "Cookie") || named(header, "Authorization");
        if (private_ && !origin)
            continue;
        ownAuthorization = ownAuthorization || named(header, "Authorization");
        lines += header.first + ": " + header.second + kHeaderLineEnd;
    }
    if (origin && !options_.browser.cookie.isEmpty())
        lines += "Cookie: " + options_.browser.cookie.toUtf8() + kHeaderLineEnd;
    if (login_ && !ownAuthorization && target.Server.compare(loginHost_, Qt::CaseInsensitive) == 0)
        lines += "Authorization: " + login_->authorization(method, requestTarget) + kHeaderLineEnd;
    return lines;
}

std::optional<SiteLogin> RequestIdentity::loginFor(const UrlParts& parts) const
{
    if (options_.hasLogin() && isOrigin(parts.Server))
        return SiteLogin {parts.Server, options_.userName, options_.password};
    if (!parts.UserName.isEmpty() || !parts.Password.isEmpty())
        return SiteLogin {parts.Server, parts.UserName, parts.Password};
    return std::nullopt;
}

void RequestIdentity::setAuthenticator(std::unique_ptr<HttpAuthenticator> authenticator, const QString& host)
{
    login_ = std::move(authenticator);
    loginHost_ = login_ ? host : QString();
}

bool RequestIdentity::isOrigin(const QString& host) const
{
    return host.compare(originHost_, Qt::CaseInsensitive) == 0;
}
