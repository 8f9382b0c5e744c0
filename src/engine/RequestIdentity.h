#pragma once

#include "core/SplitUrl.h"
#include "engine/HttpAuthenticator.h"
#include "engine/RequestOptions.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// The lines a download's requests carry beyond the program's own, and the
// hosts each may go to. The User-Agent and the page (Referer) go with every
// request, as a browser sends them. Cookies, the login and the user's own
// Cookie and Authorization headers go only to the host of the link they were
// given for: a redirect to another host leaves them behind.
class RequestIdentity {
public:
    RequestIdentity() = default;
    // `options` for a download of a link on `originHost`.
    RequestIdentity(RequestOptions options, const QString& originHost);

    const RequestOptions& options() const { return options_; }

    // The value of the User-Agent line: the browser's or the user's, else `own`.
    QByteArray userAgent(const QByteArray& own) const;
    // The page the link was on; empty when there is none to name.
    QByteArray referer() const;
    // The lines for a request with `method` and `requestTarget` to `target`,
    // each ending in CR LF: the user's headers, the cookies and the login
    // that may go to that host.
    QByteArray lines(const UrlParts& target, const QByteArray& method, const QByteArray& requestTarget) const;

    // The login for a host that asked for one: the one given for the link's
    // host, else the one the address or the stored logins give (`parts`);
    // nothing when there is none.
    std::optional<SiteLogin> loginFor(const UrlParts& parts) const;
    // From now on the requests to `host` carry `authenticator`'s answers.
    void setAuthenticator(std::unique_ptr<HttpAuthenticator> authenticator, const QString& host);

private:
    bool isOrigin(const QString& host) const;

    RequestOptions options_;
    QString originHost_;
    // Counts its answers (Digest numbers each request), so it changes as
    // requests are made of a const identity.
    std::unique_ptr<HttpAuthenticator> login_;
    QString loginHost_;
};
