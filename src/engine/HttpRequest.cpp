#include "engine/HttpRequest.h"

#include <QUrl>

namespace {

const QByteArray kLineEnd = "\r\n";

} // namespace

QByteArray HttpRequest::head(const UrlParts& target, const ProxyRoute* route, const RequestIdentity* identity)
{
    const QByteArray line = lineTarget(target, route);
    const QByteArray referer = identity ? identity->referer() : QByteArray();
    // One header a line, as they go out.
    // clang-format off
    return "HEAD " + line + " HTTP/1.1" + kLineEnd
         + "Accept: *.*, */*" + kLineEnd
         + "Range: bytes=0-" + kLineEnd
         + "User-Agent: " + (identity ? identity->userAgent("KEVA") : QByteArray("KEVA")) + kLineEnd
         + "Referer: " + (referer.isEmpty() ? target.Server.toUtf8() : referer) + kLineEnd
         + "Host: " + hostHeader(target) + kLineEnd
         + (identity ? identity->lines(target, "HEAD", line) : QByteArray())
         + proxyLogin(target, route)
         + "Connection: keep-alive" + kLineEnd
         + kLineEnd;
    // clang-format on
}

QByteArray HttpRequest::get(const UrlParts& target, const Range* range, int segment, const ProxyRoute* route,
                            const RequestIdentity* identity)
{
    const QByteArray line = lineTarget(target, route);
    QByteArray request = "GET " + line + " HTTP/1.1" + kLineEnd + "Host: " + hostHeader(target) + kLineEnd;
    if (range) {
        request += "Range: bytes=" + QByteArray::number(range->first) + '-';
        if (range->last >= 0)
            request += QByteArray::number(range->last);
        request += kLineEnd;
    }
    const QByteArray own = "KEVA Segment " + QByteArray::number(segment);
    request += "User-Agent: " + (identity ? identity->userAgent(own) : own) + kLineEnd + "Accept:  */*" + kLineEnd;
    if (identity) {
        if (const QByteArray referer = identity->referer(); !referer.isEmpty())
            request += "Referer: " + referer + kLineEnd;
        request += identity->lines(target, "GET", line);
    }
    return request + proxyLogin(target, route) + "Connection: keep-alive" + kLineEnd + kLineEnd;
}

QByteArray HttpRequest::connect(const UrlParts& target, const ProxyRoute& route)
{
    const QByteArray authority = (target.Server.contains(QLatin1Char(':')) ? '[' + target.Server.toUtf8() + ']'
                                                                           : target.Server.toUtf8())
        + ':' + QByteArray::number(target.Port);
    QByteArray request = "CONNECT " + authority + " HTTP/1.1" + kLineEnd + "Host: " + authority + kLineEnd;
    if (!route.authorization.isEmpty())
        request += "Proxy-Authorization: " + route.authorization + kLineEnd;
    return request + kLineEnd;
}

// A proxy is asked for the whole URL of an http:// file; the login is for
// the proxy only, so it never goes into a tunnel to the server.
QByteArray HttpRequest::lineTarget(const UrlParts& target, const ProxyRoute* route)
{
    if (!route || target.IsHTTPS)
        return requestTarget(target.RemotePath);
    if (target.IsFTP)
        return ftpUrl(target);
    return "http://" + hostHeader(target) + requestTarget(target.RemotePath);
}

// An ftp:// file as a proxy fetches it: the login in the URL unless it is
// the anonymous one, the names encoded again.
QByteArray HttpRequest::ftpUrl(const UrlParts& target)
{
    const auto encoded = [](const QString& text) { return QUrl::toPercentEncoding(text); };
    QByteArray login;
    if (target.UserName != QStringLiteral("anonymous") || target.Password != kAnonymousPassword)
        login = encoded(target.UserName) + (target.Password.isEmpty() ? QByteArray() : ':' + encoded(target.Password))
            + '@';
    const QByteArray host = target.Server.contains(QLatin1Char(':')) ? '[' + target.Server.toUtf8() + ']'
                                                                     : target.Server.toUtf8();
    const QByteArray port = target.Port == 21 ? QByteArray() : ':' + QByteArray::number(target.Port);
    return "ftp://" + login + host + port + '/' + QUrl::toPercentEncoding(target.RemotePath, "/");
}

QByteArray HttpRequest::proxyLogin(const UrlParts& target, const ProxyRoute* route)
{
    if (!route || target.IsHTTPS || route->authorization.isEmpty())
        return {};
    return "Proxy-Authorization: " + route->authorization + kLineEnd;
}

QByteArray HttpRequest::requestTarget(const QString& remotePath)
{
    QByteArray target;
    for (const char c : remotePath.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F)
            target += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            target += c;
    }
    return target.isEmpty() ? QByteArray("/") : target;
}

QByteArray HttpRequest::hostHeader(const UrlParts& target)
{
    const QString& server = target.Server;
    const QByteArray host = server.contains(QLatin1Char(':')) ? '[' + server.toUtf8() + ']' : server.toUtf8();
    return target.Port == (target.IsHTTPS ? 443 : 80) ? host : host + ':' + QByteArray::number(target.Port);
}

QString Encode2Base64(const QString& text)
{
    // Texts go out as UTF-8, so that names outside Latin-1 arrive whole.
    return QString::fromLatin1(text.toUtf8().toBase64());
}
