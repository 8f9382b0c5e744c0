#pragma once

#include "core/SplitUrl.h"
#include "engine/ProxyRoute.h"

#include <QByteArray>
#include <QString>

#include <functional>

class HttpResponseParser;
class RateLimiter;

// One HTTP exchange of a download job: connects, sends its request once
// connected, and reads the one response, handing its header, its body bytes
// and its end to the job. Closing the connection from inside a callback is
// allowed; nothing more is delivered after that.
//
// The job knows connections only through this interface, so that tests can
// script a server's replies without a network.
class HttpConnection {
public:
    struct Callbacks {
        std::function<void()> onHeader;
        std::function<void(const char* data, qsizetype size)> onBody;
        // The response is complete, or the connection ended before it was.
        std::function<void(bool complete)> onEnd;
        // A network error other than the server closing the connection.
        std::function<void(int code, const QString& description)> onError;
    };

    virtual ~HttpConnection() = default;

    // An error whose description says all there is to say (an untrusted
    // certificate, a proxy that refuses): the job ends with that text alone.
    static bool toldInFull(int code);

    // Reads go through `limiter` (shared by every connection; it must outlive this).
    virtual void setLimiter(RateLimiter* limiter) = 0;
    // Hands what the connection reads from now on to `callbacks`, also from
    // inside one of its callbacks (the reply's body then goes to them).
    virtual void setCallbacks(Callbacks callbacks) = 0;
    // Connects to the server of `target` (over TLS for https), or to the
    // proxy of `route` (through a tunnel for https), and sends `request`.
    virtual void open(const UrlParts& target, const ProxyRoute* route, const QByteArray& request, bool headRequest) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual const HttpResponseParser& response() const = 0;
};
