#include "platform/WindowMessageSender.h"

#include "platform/UniqueFd.h"
#include "platform/WindowMessage.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd entry {fd, events, 0};
        const int ready = ::poll(&entry, 1, millisecondsLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool sendAll(int fd, const std::string& bytes, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!waitFor(fd, POLLOUT, deadline))
            return false;
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        if (n > 0)
            sent += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::int64_t> WindowMessageSender::send(const WindowHandle& window, std::uint32_t message,
                                                      std::int64_t wParam, const std::string& text, int timeoutMs)
{
    if (text.size() > WindowMessage::kMaxTextBytes)
        return std::nullopt;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (window.socketPath.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, window.socketPath.c_str(), window.socketPath.size() + 1);

    const UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid() || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return std::nullopt;

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const WindowMessage request {message, wParam, window.child, text};
    if (!sendAll(socket.get(), request.encode(), deadline))
        return std::nullopt;

    char reply[WindowMessage::kReplySize];
    std::size_t got = 0;
    while (got < sizeof reply) {
        if (!waitFor(socket.get(), POLLIN, deadline))
            return std::nullopt;
        const ssize_t n = ::recv(socket.get(), reply + got, sizeof reply - got, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return std::nullopt;
        if (n > 0)
            got += static_cast<std::size_t>(n);
    }
    return WindowMessage::decodeReply(reply, got);
}

std::optional<std::int64_t> WindowMessageSender::setText(const WindowHandle& window, const std::string& text,
                                                         int timeoutMs)
{
    return send(window, WindowMessage::WM_SETTEXT, 0, text, timeoutMs);
}
