#pragma once

#include "core/SplitUrl.h"
#include "engine/ConnectionFactory.h"
#include "engine/ProxyPolicy.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Learns what a download needs before its transfer: asks for the file with
// HEAD (or, where a server refuses HEAD, with a GET whose body is not read),
// follows redirects, and returns the size, the validators and whether ranges
// work.
class HttpProbe {
public:
    static constexpr int kMaxRedirects = 20;

    struct Result {
        qint64 size = -1; // -1 when the server does not say
        QByteArray etag;
        QByteArray lastModified;
        bool rangesSupported = false;
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

    // Probes `url`, whose parts are `parts`, from its first request.
    void start(const QString& url, const UrlParts& parts);
    void close();

private:
    void send();
    void header();
    void ended(bool complete);
    bool followRedirect(int code);

    const ConnectionFactory& factory_;
    const ProxyPolicy& proxies_;
    Callbacks callbacks_;
    std::unique_ptr<HttpConnection> connection_;
    QString url_;
    UrlParts parts_;
    int redirects_ = 0;
    bool withGet_ = false;
};
