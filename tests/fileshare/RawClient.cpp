#include "RawClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

RawClient::RawClient(std::uint16_t port, const char* from)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in source {};
    source.sin_family = AF_INET;
    const bool bound = !from
        || (::inet_pton(AF_INET, from, &source.sin_addr) == 1
            && ::bind(fd_, reinterpret_cast<const sockaddr*>(&source), sizeof source) == 0);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && (!bound || ::connect(fd_, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0)) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawClient::~RawClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawClient::send(const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string RawClient::readAtLeast(std::size_t count, int timeoutMs)
{
    std::string received;
    char chunk[65536];
    while (received.size() < count) {
        pollfd entry {fd_, POLLIN, 0};
        if (::poll(&entry, 1, timeoutMs) <= 0)
            break;
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0)
            break;
        received.append(chunk, static_cast<std::size_t>(n));
    }
    return received;
}

std::string RawClient::readUntilClosed(int timeoutMs)
{
    return readAtLeast(std::string::npos, timeoutMs);
}

bool RawClient::closedWithin(int timeoutMs)
{
    pollfd entry {fd_, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) <= 0)
        return false;
    char byte = 0;
    return ::recv(fd_, &byte, 1, MSG_PEEK) <= 0;
}

std::string RawClient::exchange(std::uint16_t port, const std::string& request, const char* from)
{
    RawClient client(port, from);
    if (!client.send(request))
        return {};
    return client.readUntilClosed();
}
