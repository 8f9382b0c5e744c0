#include "rpc/RpcConnection.h"

#include "rpc/RpcDispatcher.h"

#include <QTcpSocket>

namespace {

// A client that reads nothing back while it is sent this much is dropped.
constexpr qint64 kMostUnsentBytes = 16 * 1024 * 1024;

QByteArray statusText(int status)
{
    switch (status) {
    case 101: return "Switching Protocols";
    case 200: return "OK";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 426: return "Upgrade Required";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    default: return "Internal Server Error";
    }
}

QByteArray tooLargeBody()
{
    return QByteArray(R"({"id":null,"jsonrpc":"2.0","error":{"code":-32600,"message":"Invalid Request",)"
                      R"("data":"The request is larger than 1 MiB"}})");
}

QByteArray tooManyCallsBody()
{
    return QByteArray(R"({"id":null,"jsonrpc":"2.0","error":{"code":-32600,"message":"Invalid Request",)"
                      R"("data":"More than 64 calls are waiting on this connection"}})");
}

} // namespace

RpcConnection::RpcConnection(QTcpSocket* socket, RpcDispatcher& dispatcher, const QStringList& allowedOrigins,
                             std::chrono::milliseconds idleTime, QObject* parent)
    : QObject(parent)
    , socket_(socket)
    , dispatcher_(dispatcher)
    , allowedOrigins_(allowedOrigins)
{
    socket_->setParent(this);
    idle_.setSingleShot(true);
    idle_.setInterval(idleTime);
    connect(&idle_, &QTimer::timeout, socket_, &QTcpSocket::abort);
    connect(socket_, &QTcpSocket::readyRead, this, &RpcConnection::readAvailable);
    connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    idle_.start();
    readAvailable();
}

void RpcConnection::sendText(const QByteArray& message)
{
    write(WebSocketCodec::textFrame(message));
}

void RpcConnection::write(const QByteArray& bytes)
{
    if (closing_)
        return;
    socket_->write(bytes);
    if (socket_->bytesToWrite() > kMostUnsentBytes)
        socket_->abort();
}

void RpcConnection::readAvailable()
{
    const QByteArray bytes = socket_->readAll();
    if (closing_)
        return;
    if (webSocket_) {
        readFrames(bytes);
        return;
    }
    buffer_ += bytes;
    readRequests();
}

void RpcConnection::readRequests()
{
    for (int calls = 0; !closing_ && !webSocket_;) {
        if (!request_) {
            const qsizetype end = buffer_.indexOf("\r\n\r\n");
            if (end < 0) {
                if (buffer_.size() > kMostHeadBytes)
                    reply(431);
                return;
            }
            request_ = RpcHttpRequest::parse(buffer_.left(end));
            buffer_.remove(0, end + 4);
            if (!request_) {
                reply(400);
                return;
            }
            if (!admit(*request_)) {
                request_.reset();
                continue;
            }
        }
        if (buffer_.size() < bodyLength_)
            return;
        const QByteArray body = buffer_.left(bodyLength_);
        buffer_.remove(0, bodyLength_);
        if (++calls > RpcDispatcher::kMostCalls) {
            reply(429, tooManyCallsBody(), "Content-Type: application/json-rpc\r\n");
            return;
        }
        const RpcDispatcher::Reply answer = dispatcher_.handle(body);
        reply(answer.httpStatus, answer.body,
              answer.body.isEmpty() ? QByteArray() : "Content-Type: application/json-rpc\r\n");
        request_.reset();
        idle_.start();
    }
}

bool RpcConnection::admit(const RpcHttpRequest& request)
{
    // A web page's request names its page; only the pages the user allowed
    // may drive the program.
    corsFields_.clear();
    if (request.hasHeader("Origin")) {
        const QByteArray origin = request.header("Origin");
        if (!allowedOrigins_.contains(QString::fromUtf8(origin), Qt::CaseInsensitive)) {
            reply(403, "This web page may not use the remote control.\n");
            return false;
        }
        corsFields_ = "Access-Control-Allow-Origin: " + origin + "\r\nVary: Origin\r\n";
    }
    if (request.path != "/jsonrpc") {
        reply(404);
        return false;
    }
    if (request.headerHas("Upgrade", "websocket")) {
        upgrade(request);
        return false;
    }
    if (request.method == "OPTIONS") {
        reply(204, {},
              "Access-Control-Allow-Methods: POST, OPTIONS\r\nAccess-Control-Allow-Headers: Content-Type\r\n"
              "Access-Control-Max-Age: 1728000\r\n");
        return false;
    }
    if (request.method != "POST") {
        reply(405, {}, "Allow: POST, OPTIONS\r\n");
        return false;
    }
    bool isNumber = false;
    const qint64 length = request.header("Content-Length").toLongLong(&isNumber);
    if (request.hasHeader("Transfer-Encoding") || !request.hasHeader("Content-Length")) {
        reply(411);
        return false;
    }
    if (!isNumber || length < 0) {
        reply(400);
        return false;
    }
    if (length > WebSocketCodec::kMostBytes) {
        reply(413, tooLargeBody(), "Content-Type: application/json-rpc\r\n");
        return false;
    }
    bodyLength_ = static_cast<qsizetype>(length);
    // curl asks before it sends a body of more than a kilobyte.
    if (request.headerHas("Expect", "100-continue"))
        write("HTTP/1.1 100 Continue\r\n\r\n");
    return true;
}

void RpcConnection::upgrade(const RpcHttpRequest& request)
{
    const QByteArray key = request.header("Sec-WebSocket-Key");
    if (request.method != "GET" || !request.headerHas("Connection", "upgrade") || key.isEmpty()) {
        reply(400);
        return;
    }
    if (request.header("Sec-WebSocket-Version") != "13") {
        reply(426, {}, "Sec-WebSocket-Version: 13\r\n");
        return;
    }
    write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: "
          + WebSocketCodec::acceptKey(key) + "\r\n\r\n");
    webSocket_ = true;
    idle_.stop();
    const QByteArray early = buffer_;
    buffer_.clear();
    readFrames(early);
}

void RpcConnection::readFrames(const QByteArray& bytes)
{
    const WebSocketCodec::Read read = codec_.feed(bytes);
    for (qsizetype i = 0; i < read.messages.size(); ++i) {
        if (i >= RpcDispatcher::kMostCalls) {
            sendText(tooManyCallsBody());
            continue;
        }
        const QByteArray answer = dispatcher_.handle(read.messages[i]).body;
        if (!answer.isEmpty())
            sendText(answer);
    }
    write(read.reply);
    if (read.closed) {
        closing_ = true;
        idle_.start();
        socket_->disconnectFromHost();
    } else if (!codec_.hasPartialFrame()) {
        idle_.stop();
    } else if (!idle_.isActive()) {
        idle_.start();
    }
}

void RpcConnection::reply(int status, const QByteArray& body, QByteArray fields)
{
    // Errors end the connection, as aria2's do.
    const bool close = status >= 400 || !request_ || request_->http10 || request_->headerHas("Connection", "close");
    if (close)
        fields += "Connection: close\r\n";
    write("HTTP/1.1 " + QByteArray::number(status) + ' ' + statusText(status) + "\r\n" + fields + corsFields_
          + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    if (close) {
        closing_ = true;
        idle_.start();
        socket_->disconnectFromHost();
    }
}
