#pragma once

#include "core/SplitUrl.h"
#include "engine/ConnectionFactory.h"
#include "engine/ProxyPolicy.h"
#include "engine/RequestIdentity.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Learns what a download needs before its transfer: asks for the file's
// first piece with a GET (or with HEAD, where the caller wants no byte yet;
// a server that refuses HEAD gets the GET), follows redirects, answers a
// server that asks for a login when one is known for its host, and returns
// the size, the validators, whether ranges work and the server's name for
// the file. A 206 tells the size in its Content-Range and that ranges work;
// a 200 brings the whole file, its size in Content-Length or unknown. The
// reply's body is the file from its first byte: the transfer may take the
// connection over, with the body still to come, so that a small file takes
// one request in all.
class HttpProbe {
public:
    static constexpr int kMaxRedirects = 20;

    struct Result {
        qint64 size = -1; // -1 when the server does not say
        QByteArray etag;
        QByteArray lastModified;
        bool rangesSupported = false;
        QString fileName; // from Content-Disposition, made safe; empty when the server names none
    };
    struct Callbacks {
        // The header of each reply, as received.
        std::function<void(const QString& headerText)> onHeader;
        // The server sends the download elsewhere: the parts of the new
        // address, or nothing to stop (the caller has said why).
        std::function<std::optional<UrlParts>(const QString& url)> onRedirect;
        std::function<void(const Result&)> onDone;
        std::function<void(const QString& message)> onFail;
    };

    HttpProbe(const ConnectionFactory& factory, const ProxyPolicy& proxies, Callbacks callbacks);

    // The requests carry `identity`'s lines, and a login the server asks
    // for is set on it (it must outlive the probe); without one they are the
    // program's own.
    void setIdentity(RequestIdentity* identity) { identity_ = identity; }
    // Asks the user for a login for a server that wants one where none is
    // known, or refused the one sent; nothing when the user gives none.
    using AskLogin = std::function<std::optional<SiteLogin>(const QString& server)>;
    void setAskLogin(AskLogin ask) { askLogin_ = std::move(ask); }
    // Probes `url`, whose parts are `parts`, from its first request: a HEAD
    // when `head`, else the GET.
    void start(const QString& url, const UrlParts& parts, bool head);
    void close();
    // The connection of the reply that onDone was told of, while its body
    // (the file from its first byte) is still to come; else nothing. Only
    // from inside onDone.
    std::unique_ptr<HttpConnection> takeConnection();

private:
    void send();
    void header();
    void ended(bool complete);
    bool followRedirect(int code);
    // True when the server asked for a login that is known for its host and
    // the request has gone out again with it.
    bool answerChallenge();

    const ConnectionFactory& factory_;
    const ProxyPolicy& proxies_;
    Callbacks callbacks_;
    std::unique_ptr<HttpConnection> connection_;
    QString url_;
    UrlParts parts_;
    RequestIdentity* identity_ = nullptr;
    AskLogin askLogin_;
    int redirects_ = 0;
    int logins_ = 0; // the logins sent to this host, each after a 401
    bool head_ = false;
    bool handsOver_ = false; // the reply's body is the file from its first byte
};
