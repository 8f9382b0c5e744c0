#pragma once

#include "engine/HttpResponseParser.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

class RateLimiter;

#include <functional>
#include <vector>

// One connection of a download job: connects, sends its request once
// connected, and reads the one response, handing its header, its body bytes
// and its end to the job. Closing the connection from inside a callback is
// allowed; nothing more is delivered after that.
class SegmentConnection : public QObject {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void()> onHeader;
        std::function<void(const char* data, qsizetype size)> onBody;
        // The response is complete, or the connection ended before it was.
        std::function<void(bool complete)> onEnd;
        // A network error other than the server closing the connection.
        std::function<void(int code, const QString& description)> onError;
    };

    explicit SegmentConnection(Callbacks callbacks, QObject* parent = nullptr);

    // Reads go through `limiter` (shared by every connection; it must outlive this).
    void setLimiter(RateLimiter* limiter) { limiter_ = limiter; }
    void open(const QString& host, int port, const QByteArray& request, bool headRequest);
    void close();
    bool isOpen() const { return open_; }
    const HttpResponseParser& response() const { return parser_; }

private:
    void readAvailable();
    void ended();
    void finish(bool complete);

    Callbacks callbacks_;
    QTcpSocket socket_;
    HttpResponseParser parser_;
    QByteArray request_;
    std::vector<char> buffer_;
    bool open_ = false;
    bool endPending_ = false; // the server closed while the limiter held data back
    RateLimiter* limiter_ = nullptr;
    QTimer readLater_;
    quint64 generation_ = 0; // changes on every open and close
};
