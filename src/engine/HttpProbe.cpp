#include "engine/HttpProbe.h"

#include "core/ContentDisposition.h"
#include "engine/ContentRange.h"
#include "engine/HttpRequest.h"
#include "engine/HttpResponseParser.h"
#include "engine/HttpStatus.h"
#include "engine/SegmentedTransfer.h"

#include <QUrl>

HttpProbe::HttpProbe(const ConnectionFactory& factory, const ProxyPolicy& proxies, Callbacks callbacks)
    : factory_(factory)
    , proxies_(proxies)
    , callbacks_(std::move(callbacks))
{
}

void HttpProbe::start(const QString& url, const UrlParts& parts, bool head)
{
    url_ = url;
    parts_ = parts;
    redirects_ = 0;
    logins_ = 0;
    head_ = head;
    send();
}

void HttpProbe::close()
{
    if (connection_)
        connection_->close();
}

std::unique_ptr<HttpConnection> HttpProbe::takeConnection()
{
    if (!handsOver_ || !connection_ || !connection_->isOpen())
        return nullptr;
    handsOver_ = false;
    return std::move(connection_);
}

void HttpProbe::send()
{
    if (!connection_) {
        connection_ = factory_.http(HttpConnection::Callbacks {
            [this] { header(); },
            {},
            [this](bool complete) { ended(complete); },
            [this](int code, const QString& description) {
                if (HttpConnection::toldInFull(code)) {
                    callbacks_.onFail(description);
                    return;
                }
                callbacks_.onFail(QStringLiteral("Could not connect to %1:%2: %3")
                                      .arg(parts_.Server)
                                      .arg(parts_.Port)
                                      .arg(description));
            },
        });
    }
    const std::optional<ProxyRoute> route = proxies_.routeFor(parts_);
    const ProxyRoute* via = route ? &*route : nullptr;
    handsOver_ = false;
    if (head_) {
        connection_->open(parts_, via, HttpRequest::head(parts_, via, identity_), true);
    } else {
        const HttpRequest::Range first {0, SegmentedTransfer::kFirstPiece - 1};
        connection_->open(parts_, via, HttpRequest::get(parts_, &first, 0, via, identity_), false);
    }
}

void HttpProbe::ended(bool complete)
{
    if (complete || connection_->response().headersDone())
        return;
    const QString why = connection_->response().failure();
    callbacks_.onFail(why.isEmpty() ? QStringLiteral("The server closed the connection without a reply.") : why);
}

void HttpProbe::header()
{
    const HttpResponseParser& reply = connection_->response();
    callbacks_.onHeader(QString::fromLatin1(reply.headerText()));
    const int code = reply.statusCode();
    // The body of a file's GET may go on to the transfer; any other is not read.
    if (head_ || (code != 200 && code != 206))
        connection_->close();
    if ((code == 405 || code == 501) && head_) {
        // Some servers refuse HEAD; the header of a GET tells the same.
        head_ = false;
        send();
        return;
    }
    if (followRedirect(code))
        return;
    if (code == 401 && answerChallenge())
        return;

    Result result;
    result.etag = reply.header("ETag").value_or(QByteArray());
    result.lastModified = reply.header("Last-Modified").value_or(QByteArray());
    result.fileName = ContentDisposition::fileName(reply.header("Content-Disposition").value_or(QByteArray()));
    if (code == 206) {
        const auto range = ContentRange::parse(reply.header("Content-Range").value_or(QByteArray()));
        if (range)
            result.size = range->total;
        result.rangesSupported = true;
        // A part of unknown total would end the file early.
        handsOver_ = range && range->first == 0 && range->total >= 0;
    } else if (code == 200) {
        if (const auto length = reply.contentLength())
            result.size = *length;
        result.rangesSupported = reply.header("Accept-Ranges").value_or(QByteArray()).toLower().contains("bytes");
        handsOver_ = true;
    } else if (code == 416) {
        // An empty file has no first byte to give.
        const auto range = ContentRange::parse(reply.header("Content-Range").value_or(QByteArray()));
        if (!range || range->total != 0) {
            callbacks_.onFail(HttpFailureText(code, reply.reasonPhrase()));
            return;
        }
        result.size = 0;
    } else {
        callbacks_.onFail(HttpFailureText(code, reply.reasonPhrase()));
        return;
    }
    callbacks_.onDone(result);
    // The transfer did not take the rest of the reply.
    handsOver_ = false;
    if (connection_)
        connection_->close();
}

// True when the reply sends the probe elsewhere and it has gone on there
// (or stopped, having said why).
bool HttpProbe::followRedirect(int code)
{
    if (code != 300 && code != 301 && code != 302 && code != 303 && code != 307 && code != 308)
        return false;
    const auto location = connection_->response().header("Location");
    if (!location || location->isEmpty())
        return false;
    if (++redirects_ > kMaxRedirects) {
        callbacks_.onFail(QStringLiteral("Too many redirects (more than %1).").arg(kMaxRedirects));
        return true;
    }
    // A relative Location is taken from the current address.
    url_ = QUrl(url_).resolved(QUrl(QString::fromUtf8(*location))).toString();
    const auto parts = callbacks_.onRedirect(url_);
    if (!parts)
        return true;
    parts_ = *parts;
    logins_ = 0;
    send();
    return true;
}

bool HttpProbe::answerChallenge()
{
    if (!identity_)
        return false;
    const auto challenge = HttpAuthenticator::choose(connection_->response().headers("WWW-Authenticate"));
    if (!challenge || logins_ >= 3)
        return false;
    // A login the server refused is not sent again, unless the server only
    // found its nonce stale; the user may give another.
    std::optional<SiteLogin> login;
    if (logins_ == 0 || challenge->stale)
        login = identity_->loginFor(parts_);
    if (!login && askLogin_)
        login = askLogin_(parts_.Server);
    if (!login)
        return false;
    ++logins_;
    identity_->setAuthenticator(std::make_unique<HttpAuthenticator>(login->userName, login->password, *challenge),
                                parts_.Server);
    send();
    return true;
}
