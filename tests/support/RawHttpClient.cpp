#include "support/RawHttpClient.h"

#include <QDeadlineTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Closes the socket however the exchange ends.
class SocketHandle {
public:
    SocketHandle() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~SocketHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

} // namespace

RawHttpClient::RawHttpClient(quint16 port, int timeoutMilliseconds) : port_(port), timeoutMilliseconds_(timeoutMilliseconds)
{
}

RawHttpReply RawHttpClient::request(const QByteArray& method, const QString& path, const QByteArray& extraHeaders) const
{
    return send(method + ' ' + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port_)
                + "\r\nConnection: close\r\n" + extraHeaders + "\r\n");
}

RawHttpReply RawHttpClient::send(const QByteArray& request) const
{
    using Ending = RawHttpReply::Ending;
    SocketHandle socket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket.fd() < 0 || ::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::send(socket.fd(), request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL) != request.size())
        return {{}, Ending::NotConnected, 0};

    const QDeadlineTimer deadline(timeoutMilliseconds_);
    QByteArray received;
    int reads = 0;
    int headerReads = 0;
    for (;;) {
        pollfd readable{socket.fd(), POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            return {received, Ending::TimedOut, headerReads};
        char buffer[16384];
        const ssize_t count = ::recv(socket.fd(), buffer, sizeof buffer, 0);
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
