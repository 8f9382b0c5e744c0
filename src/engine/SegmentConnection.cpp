#include "engine/SegmentConnection.h"

#include "engine/ConnectionPool.h"
#include "engine/HttpRequest.h"
#include "engine/HttpStatus.h"
#include "engine/RateLimiter.h"
#include "engine/ReadBuffer.h"
#include "engine/TlsSession.h"

namespace {

// Unbounded, a socket takes everything the kernel holds into a buffer of
// its own, megabytes per connection; over TLS, Qt hands all of it to OpenSSL
// in one piece, whose buffer then grows (a fresh allocation, a copy and a
// wipe each time). Reading at most this much ahead keeps those buffers small
// and warm: it halves the CPU time of a large https download against no
// bound, and takes a quarter of the memory of 256 KiB at the same speed.
constexpr qint64 kReadAhead = 64 * 1024;

// The longest rest of an unread body worth reading away to keep the
// connection: a redirect's or an error's page, not a file.
constexpr qint64 kMostToDrop = 64 * 1024;

} // namespace

SegmentConnection::SegmentConnection(Callbacks callbacks, ConnectionPool* pool, QObject* parent)
    : QObject(parent)
    , callbacks_(std::move(callbacks))
    , pool_(pool)
{
    readLater_.setSingleShot(true);
    connect(&readLater_, &QTimer::timeout, this, &SegmentConnection::readAvailable);
}

SegmentConnection::~SegmentConnection()
{
    // The socket goes with this object, after its members: it must not call back.
    if (socket_)
        socket_->disconnect(this);
    if (tlsSession_)
        tlsSession_->disconnect(this);
}

void SegmentConnection::watch()
{
    connect(socket_, &QTcpSocket::connected, this, [this] {
        if (!tunnel_.isEmpty())
            socket_->write(tunnel_);
        else if (tls_)
            startTls();
        else
            socket_->write(request_);
    });
    // Over TLS, the session reads the socket and says when bytes have come.
    connect(socket_, &QTcpSocket::readyRead, this, [this] {
        if (!tlsSession_)
            readAvailable();
    });
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
        if (!open_ || retriedFresh())
            return;
        endPending_ = true;
        readAvailable();
    });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (!open_ || error == QAbstractSocket::RemoteHostClosedError || retriedFresh())
            return; // a closed connection is handled as its end
        fail(error, socket_->errorString());
    });
    if (tlsSession_)
        watchTls();
}

// TLS is made only for https: a plain http connection never loads it.
void SegmentConnection::startTls()
{
    QString failure;
    tlsSession_ = TlsSession::start(socket_, tlsHost_, &failure);
    if (!tlsSession_) {
        fail(QAbstractSocket::SslHandshakeFailedError, failure);
        return;
    }
    watchTls();
}

void SegmentConnection::watchTls()
{
    connect(tlsSession_, &TlsSession::encrypted, this, [this] { tlsSession_->write(request_); });
    // A certificate that fails its checks ends the connection before a byte is sent.
    connect(tlsSession_, &TlsSession::failed, this, [this](const QString& text) {
        if (open_)
            fail(QAbstractSocket::SslHandshakeFailedError, text);
    });
    connect(tlsSession_, &TlsSession::readyRead, this, &SegmentConnection::readAvailable);
}

QIODevice& SegmentConnection::stream() const
{
    if (tlsSession_)
        return *tlsSession_;
    return *socket_;
}

void SegmentConnection::dropSocket()
{
    if (!socket_)
        return;
    socket_->disconnect(this);
    if (tlsSession_)
        tlsSession_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
    tlsSession_ = nullptr;
}

bool SegmentConnection::retriedFresh()
{
    if (!reused_ || replyStarted_ || stream().bytesAvailable() > 0)
        return false;
    reused_ = false;
    dropSocket();
    connectFresh();
    return true;
}

bool HttpConnection::toldInFull(int code)
{
    return code == QAbstractSocket::SslHandshakeFailedError || code == QAbstractSocket::ProxyAuthenticationRequiredError
        || code == QAbstractSocket::ProxyProtocolError;
}

void SegmentConnection::fail(int code, const QString& description)
{
    close();
    if (callbacks_.onError)
        callbacks_.onError(code, description);
}

void SegmentConnection::open(const UrlParts& target, const ProxyRoute* route, const QByteArray& request,
                             bool headRequest)
{
    close();
    ++generation_;
    open_ = true;
    endPending_ = false;
    replyStarted_ = false;
    request_ = request;
    parser_.reset(headRequest);
    tls_ = target.IsHTTPS;
    tlsHost_ = target.Server;
    target_ = target;
    route_ = route ? std::optional<ProxyRoute>(*route) : std::nullopt;
    if (pool_) {
        poolKey_ = ConnectionPool::keyFor(target, route);
        if (QTcpSocket* kept = pool_->take(poolKey_)) {
            sendOn(kept);
            return;
        }
    }
    connectFresh();
}

void SegmentConnection::sendOn(QTcpSocket* socket)
{
    dropSocket();
    socket->setParent(this);
    socket_ = socket;
    tlsSession_ = TlsSession::of(socket);
    watch();
    reused_ = true;
    tunnel_.clear();
    tunnelReply_.clear();
    socket_->setReadBufferSize(limiter_ && limiter_->limit() > 0 ? limiter_->socketBuffer() : kReadAhead);
    stream().write(request_);
}

void SegmentConnection::connectFresh()
{
    reused_ = false;
    // A socket is connected again, unless a TLS session of an earlier
    // connection is on it.
    if (tlsSession_)
        dropSocket();
    if (!socket_) {
        socket_ = new QTcpSocket(this);
        watch();
    }
    socket_->setReadBufferSize(limiter_ && limiter_->limit() > 0 ? limiter_->socketBuffer() : kReadAhead);
    const ProxyRoute* route = route_ ? &*route_ : nullptr;
    tunnel_ = route && tls_ ? HttpRequest::connect(target_, *route) : QByteArray();
    tunnelReply_.clear();
    if (route)
        socket_->connectToHost(route->host, static_cast<quint16>(route->port));
    else
        socket_->connectToHost(target_.Server, static_cast<quint16>(target_.Port));
}

void SegmentConnection::close()
{
    if (!open_)
        return;
    open_ = false;
    ++generation_;
    readLater_.stop();
    if (!socket_)
        return;
    if (const std::optional<qint64> toDrop = keptWith()) {
        socket_->disconnect(this);
        if (tlsSession_)
            tlsSession_->disconnect(this);
        pool_->put(poolKey_, socket_, *toDrop); // a TLS session goes with its socket
        socket_ = nullptr;
        tlsSession_ = nullptr;
        return;
    }
    socket_->abort();
}

// The proxy answers CONNECT with a header block; 200 opens the tunnel, in
// which TLS starts with the server, its certificate checked for its own name.
bool SegmentConnection::readTunnelReply()
{
    tunnelReply_ += socket_->readAll();
    const qsizetype end = tunnelReply_.indexOf("\r\n\r\n");
    if (end < 0) {
        if (tunnelReply_.size() > HttpResponseParser::kMaxHeaderBytes || endPending_)
            fail(QAbstractSocket::ProxyProtocolError, QStringLiteral("The proxy ended the tunnel before it was open."));
        return false;
    }
    const QList<QByteArray> status = tunnelReply_.left(tunnelReply_.indexOf("\r\n")).split(' ');
    const int code = status.size() > 1 ? status[1].toInt() : 0;
    if (code != 200) {
        const QString reason = QString::fromLatin1(status.mid(2).join(' '));
        fail(code == 407 ? QAbstractSocket::ProxyAuthenticationRequiredError : QAbstractSocket::ProxyProtocolError,
             HttpFailureText(code, reason));
        return false;
    }
    tunnel_.clear();
    tunnelReply_.clear();
    startTls();
    return true;
}

void SegmentConnection::readAvailable()
{
    if (!tunnel_.isEmpty()) {
        if (open_)
            readTunnelReply();
        return;
    }
    const quint64 generation = generation_;
    const auto stillMine = [&] { return open_ && generation == generation_; };
    const HttpResponseParser::BodySink sink = [&](const char* data, qsizetype size) {
        if (stillMine() && callbacks_.onBody)
            callbacks_.onBody(data, size);
    };
    const ReadBuffer buffer;
    while (stillMine()) {
        constexpr auto room = static_cast<qint64>(ReadBuffer::kSize);
        QIODevice& in = stream();
        const qint64 got = limiter_ ? limiter_->read(in, buffer.data(), room) : in.read(buffer.data(), room);
        if (got > 0)
            replyStarted_ = true;
        if (got <= 0) {
            if (limiter_ && limiter_->holdsBack(in))
                readLater_.start(limiter_->waitMs());
            else if (endPending_)
                ended();
            return;
        }
        qsizetype offset = 0;
        while (offset < got && stillMine()) {
            const bool hadHeader = parser_.headersDone();
            offset += parser_.feed(buffer.data() + offset, static_cast<qsizetype>(got) - offset, sink);
            if (!hadHeader && parser_.headersDone() && callbacks_.onHeader) {
                // A copy: the handler may hand the connection to new callbacks.
                const auto onHeader = callbacks_.onHeader;
                unfed_ = got - offset;
                onHeader();
                unfed_ = 0;
                if (!stillMine())
                    return;
            }
            switch (parser_.state()) {
            case HttpResponseParser::State::Complete: finish(true); return;
            case HttpResponseParser::State::Failed: finish(false); return;
            case HttpResponseParser::State::Headers:
            case HttpResponseParser::State::Body: break;
            }
        }
    }
}

// The server closed the connection and every byte it sent has been read.
void SegmentConnection::ended()
{
    parser_.connectionClosed();
    finish(parser_.state() == HttpResponseParser::State::Complete);
}

std::optional<qint64> SegmentConnection::keptWith() const
{
    if (!pool_ || endPending_ || socket_->state() != QAbstractSocket::ConnectedState)
        return std::nullopt;
    qint64 toDrop = 0;
    if (parser_.state() == HttpResponseParser::State::Body) {
        const std::optional<qint64> length = parser_.contentLength();
        if (parser_.chunked() || !length)
            return std::nullopt;
        toDrop = *length - parser_.bodyReceived() - unfed_;
        if (toDrop < 0 || toDrop > kMostToDrop)
            return std::nullopt;
    } else if (parser_.state() != HttpResponseParser::State::Complete || stream().bytesAvailable() > 0
               || (limiter_ && limiter_->holdsBack(stream()))) {
        return std::nullopt;
    }
    const QByteArray connection = parser_.header("Connection").value_or(QByteArray()).toLower();
    if (connection.contains("close"))
        return std::nullopt;
    // HTTP/1.0 closes unless it says otherwise.
    if (!parser_.statusLine().startsWith(QStringLiteral("HTTP/1.1")) && !connection.contains("keep-alive"))
        return std::nullopt;
    return toDrop;
}

void SegmentConnection::finish(bool complete)
{
    close();
    if (callbacks_.onEnd)
        callbacks_.onEnd(complete);
}
