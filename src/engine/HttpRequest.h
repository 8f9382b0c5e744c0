#pragma once

#include "core/SplitUrl.h"
#include "engine/ProxyRoute.h"
#include "engine/RequestIdentity.h"

#include <QByteArray>
#include <QString>

// The requests a download job sends. Every line ends in CR LF; an empty line
// ends the request.
class HttpRequest {
public:
    // The probe: asks for the whole file as a range, so that the reply tells
    // both the size (Content-Length, or the total of Content-Range) and
    // whether the server serves ranges (206). HTTP/1.1, because some servers
    // leave out Accept-Ranges in their replies to HTTP/1.0.
    //
    // Through a proxy (`route`), an http:// request names the whole URL and
    // carries the proxy's login; an https:// one goes through a tunnel and
    // is sent as to the server itself.
    //
    // `identity`, when given, adds the browser's or the user's lines and the
    // login; without it (or with an empty one) the request is the program's own.
    static QByteArray head(const UrlParts& target, const ProxyRoute* route, const RequestIdentity* identity = nullptr);

    struct Range {
        qint64 first = 0;
        qint64 last = -1; // -1: to the end of the file
    };
    // The GET of segment `segment`; without a range when `range` is empty.
    static QByteArray get(const UrlParts& target, const Range* range, int segment, const ProxyRoute* route,
                          const RequestIdentity* identity = nullptr);
    // The request that opens a tunnel to the server of `target` through `route`.
    static QByteArray connect(const UrlParts& target, const ProxyRoute& route);

    // The path as it goes on the request line: blanks, control characters and
    // non-ASCII characters percent-encoded (as UTF-8), everything else kept.
    static QByteArray requestTarget(const QString& remotePath);
    // "host" on the scheme's default port (80, or 443 for https), else "host:port".
    static QByteArray hostHeader(const UrlParts& target);

private:
    // The request line's target, and the proxy's login line when it has one.
    static QByteArray lineTarget(const UrlParts& target, const ProxyRoute* route);
    static QByteArray proxyLogin(const UrlParts& target, const ProxyRoute* route);
    static QByteArray ftpUrl(const UrlParts& target);
};

// Standard Base64 (RFC 4648) of the text's UTF-8 bytes, with "="
// padding and no line breaks.
QString Encode2Base64(const QString& text);
