#include "support/RawHttpClient.h"

#include <QDeadlineTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <limits>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

RawHttpClient::RawHttpClient(quint16 port, int timeoutMilliseconds, const char* from)
    : port_(port)
    , timeoutMilliseconds_(timeoutMilliseconds)
    , socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    sockaddr_in source {};
    source.sin_family = AF_INET;
    const bool bound = !from
        || (::inet_pton(AF_INET, from, &source.sin_addr) == 1
            && ::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&source), sizeof source) == 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_.valid()
        && (!bound || ::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0))
        socket_.close();
}

RawHttpReply RawHttpClient::request(const QByteArray& method, const QString& path, const QByteArray& extraHeaders)
{
    return send(method + ' ' + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port_)
                + "\r\nConnection: close\r\n" + extraHeaders + "\r\n");
}

RawHttpReply RawHttpClient::send(const QByteArray& request)
{
    using Ending = RawHttpReply::Ending;
    if (!write(request))
        return {{}, Ending::NotConnected, 0};

    const QDeadlineTimer deadline(timeoutMilliseconds_);
    QByteArray received;
    int reads = 0;
    int headerReads = 0;
    for (;;) {
        pollfd readable {socket_.get(), POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            return {received, Ending::TimedOut, headerReads};
        char buffer[16384];
        const ssize_t count = ::recv(socket_.get(), buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0)
            return {received, Ending::Closed, headerReads};
        if (count < 0)
            return {received, errno == ECONNRESET ? Ending::Reset : Ending::Closed, headerReads};
        received.append(buffer, count);
        ++reads;
        if (headerReads == 0 && received.contains("\r\n\r\n"))
            headerReads = reads;
    }
}

bool RawHttpClient::write(const QByteArray& bytes)
{
    if (!connected())
        return false;
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket_.get(), bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent),
                                 MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

QByteArray RawHttpClient::readAtLeast(qsizetype count)
{
    QByteArray received;
    char chunk[65536];
    while (received.size() < count) {
        pollfd readable {socket_.get(), POLLIN, 0};
        if (::poll(&readable, 1, timeoutMilliseconds_) <= 0)
            break;
        const ssize_t n = ::recv(socket_.get(), chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        received.append(chunk, n);
    }
    return received;
}

QByteArray RawHttpClient::readUntilClosed()
{
    return readAtLeast(std::numeric_limits<qsizetype>::max());
}

bool RawHttpClient::closedWithin()
{
    pollfd readable {socket_.get(), POLLIN, 0};
    if (::poll(&readable, 1, timeoutMilliseconds_) <= 0)
        return false;
    char byte = 0;
    return ::recv(socket_.get(), &byte, 1, MSG_PEEK) <= 0;
}
