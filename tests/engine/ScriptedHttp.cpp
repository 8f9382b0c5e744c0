#include "ScriptedHttp.h"

#include <QTimer>

class ScriptedHttp::Connection : public HttpConnection {
public:
    Connection(ScriptedHttp& server, Callbacks callbacks)
        : server_(server)
        , callbacks_(std::move(callbacks))
    {
    }

    void setLimiter(RateLimiter*) override { }
    void setCallbacks(Callbacks callbacks) override { callbacks_ = std::move(callbacks); }
    void open(const UrlParts& target, const ProxyRoute*, const QByteArray& request, bool headRequest) override
    {
        ++generation_;
        open_ = true;
        parser_.reset(headRequest);
        server_.opened(this, {target.Server, target.Port, request, headRequest});
    }
    void close() override
    {
        open_ = false;
        ++generation_;
    }
    bool isOpen() const override { return open_; }
    const HttpResponseParser& response() const override { return parser_; }

    // Delivers `reply` later, unless the connection has been closed or
    // opened again by then.
    void deliverLater(const QByteArray& reply)
    {
        const quint64 generation = generation_;
        QTimer::singleShot(0, [this, generation, reply, alive = alive_] {
            if (*alive && open_ && generation == generation_)
                deliver(reply);
        });
    }
    ~Connection() override { *alive_ = false; }

    void deliver(const QByteArray& reply)
    {
        const quint64 generation = generation_;
        const auto stillMine = [&] { return open_ && generation == generation_; };
        const HttpResponseParser::BodySink sink = [&](const char* data, qsizetype size) {
            if (stillMine() && callbacks_.onBody)
                callbacks_.onBody(data, size);
        };
        qsizetype offset = 0;
        while (offset < reply.size() && stillMine()) {
            const bool hadHeader = parser_.headersDone();
            offset += parser_.feed(reply.constData() + offset, reply.size() - offset, sink);
            if (!hadHeader && parser_.headersDone() && callbacks_.onHeader) {
                const auto onHeader = callbacks_.onHeader;
                onHeader();
            }
            if (parser_.state() == HttpResponseParser::State::Complete
                || parser_.state() == HttpResponseParser::State::Failed)
                break;
        }
        if (!stillMine())
            return;
        const bool done = parser_.state() == HttpResponseParser::State::Complete
            || parser_.state() == HttpResponseParser::State::Failed;
        if (!done && server_.holdOpen)
            return;
        // The server closes the connection after its reply.
        if (!done)
            parser_.connectionClosed();
        close();
        if (callbacks_.onEnd)
            callbacks_.onEnd(parser_.state() == HttpResponseParser::State::Complete);
    }

private:
    ScriptedHttp& server_;
    Callbacks callbacks_;
    HttpResponseParser parser_;
    bool open_ = false;
    quint64 generation_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

QByteArray ScriptedHttp::Request::header(const QByteArray& name) const
{
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

ConnectionFactory ScriptedHttp::factory()
{
    return {
        [this](HttpConnection::Callbacks callbacks) -> std::unique_ptr<HttpConnection> {
            return std::make_unique<Connection>(*this, std::move(callbacks));
        },
        {},
    };
}

void ScriptedHttp::opened(Connection* connection, const Request& request)
{
    requests.append(request);
    connections_.append(connection);
    const QByteArray reply = respond ? respond(request) : QByteArray();
    if (!reply.isEmpty())
        connection->deliverLater(reply);
}

void ScriptedHttp::answer(int index, const QByteArray& bytes)
{
    connections_[index]->deliver(bytes);
}

QByteArray ScriptedHttp::rangedReply(const Request& request, const QByteArray& body)
{
    const QByteArray size = QByteArray::number(body.size());
    const QByteArray range = request.header("Range");
    if (!range.startsWith("bytes="))
        return "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Length: " + size + "\r\n\r\n"
            + (request.head ? QByteArray() : body);
    const QByteArray span = range.mid(6);
    const qsizetype dash = span.indexOf('-');
    const qint64 first = span.left(dash).toLongLong();
    const QByteArray lastText = span.mid(dash + 1);
    const qint64 last = lastText.isEmpty() ? body.size() - 1 : std::min<qint64>(lastText.toLongLong(), body.size() - 1);
    const QByteArray part = body.mid(first, last - first + 1);
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + QByteArray::number(first) + "-"
        + QByteArray::number(last) + "/" + size + "\r\nContent-Length: " + QByteArray::number(part.size()) + "\r\n\r\n"
        + (request.head ? QByteArray() : part);
}
