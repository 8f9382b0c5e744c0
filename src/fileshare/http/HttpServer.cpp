#include "fileshare/http/HttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kMaxEvents = 256;
// Descriptors left to the rest of the process and to those a request opens on
// its way to its answer (a folder, the entries of a listing).
constexpr std::size_t kDescriptorMargin = 32;

// The descriptors the process has open; 0 when that cannot be told.
std::size_t openDescriptors()
{
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return 0;
    std::size_t count = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(folder);
    return count > 0 ? count - 1 : 0; // less the listing's own
}

// How many connections the open-file limit leaves room for: each takes a
// descriptor for its socket and keeps one in reserve for the file it sends,
// out of what the descriptors open now and the margin leave.
std::size_t connectionsTheDescriptorsAllow()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return static_cast<std::size_t>(-1);
    const std::size_t taken = openDescriptors() + kDescriptorMargin;
    const auto allowed = static_cast<std::size_t>(limit.rlim_cur);
    return allowed > taken ? std::max<std::size_t>(1, (allowed - taken) / 2) : 1;
}

} // namespace

HttpServer::HttpServer(const SiteResponder& responder, LogSink sink, ServerLimits limits)
    : responder_(responder)
    , sink_(std::move(sink))
    , limits_(limits)
    , maxConnections_(limits.maxConnections)
    , epoll_(::epoll_create1(EPOLL_CLOEXEC))
    , wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

HttpServer::~HttpServer() = default;

std::size_t HttpServer::queueOf(ClientConnection::Stage stage)
{
    switch (stage) {
    case ClientConnection::Stage::ReadingHead: return 0;
    case ClientConnection::Stage::Lingering: return 1;
    case ClientConnection::Stage::Waiting: return 2;
    case ClientConnection::Stage::Answering: break;
    }
    return kNoQueue;
}

std::int64_t HttpServer::monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool HttpServer::listen(const std::string& address, std::uint16_t port, std::error_code& error)
{
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
        error = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (!socket.valid() || ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0
        || ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0
        || ::listen(socket.get(), 1024) != 0) {
        error = std::error_code(errno, std::system_category());
        return false;
    }
    socklen_t length = sizeof where;
    ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&where), &length);
    port_ = ntohs(where.sin_port);

    epoll_event listening {};
    listening.events = EPOLLIN;
    listening.data.fd = socket.get();
    epoll_event waking {};
    waking.events = EPOLLIN;
    waking.data.fd = wake_.get();
    if (!epoll_.valid() || !wake_.valid() || ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, socket.get(), &listening) != 0
        || ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wake_.get(), &waking) != 0) {
        error = std::error_code(errno, std::system_category());
        return false;
    }
    listener_ = std::move(socket);
    maxConnections_ = std::min(limits_.maxConnections, connectionsTheDescriptorsAllow());
    return true;
}

void HttpServer::run()
{
    const int shortestMs = std::min({limits_.timeoutMs, limits_.headTimeoutMs, limits_.lingerMs});
    const int sweepEveryMs = std::max(10, std::min(1000, shortestMs / 4));
    std::int64_t nextSweep = monotonicMs() + sweepEveryMs;
    epoll_event events[kMaxEvents];
    while (!stopping_.load()) {
        flushLog();
        const int ready = ::epoll_wait(epoll_.get(), events, kMaxEvents, sweepEveryMs);
        if (ready < 0 && errno != EINTR)
            break;
        const std::int64_t now = monotonicMs();
        for (int i = 0; i < ready; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener_.get()) {
                acceptOne(now);
            } else if (fd != wake_.get()) {
                const auto found = connections_.find(fd);
                if (found != connections_.end())
                    drive(fd, found->second, now);
            }
        }
        if (now >= nextSweep) {
            closeExpired(now);
            nextSweep = now + sweepEveryMs;
        }
    }
    flushLog();
    while (!connections_.empty())
        closeConnection(connections_.begin()->first);
    listener_.close();
}

void HttpServer::stop()
{
    stopping_.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
}

void HttpServer::acceptOne(std::int64_t nowMs)
{
    // One connection per readiness report: the listener is level-triggered,
    // so the next wait reports it again while connections are pending, and
    // no call is spent finding the queue empty.
    sockaddr_in peer {};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        // Out of descriptors: another connection makes room, and the next
        // wait reports the client again. With none to close, listening stops
        // until a connection closes.
        if ((errno == EMFILE || errno == ENFILE) && !makeRoom()) {
            ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, listener_.get(), nullptr);
            acceptPaused_ = true;
        }
        return;
    }
    const std::uint32_t address = ntohl(peer.sin_addr.s_addr);
    const auto fromAddress = perAddress_.find(address);
    const std::size_t openFromAddress = fromAddress == perAddress_.end() ? 0 : fromAddress->second;
    if (openFromAddress >= limits_.maxConnectionsPerAddress
        || (connections_.size() >= maxConnections_ && !makeRoom())) {
        ::close(fd);
        return;
    }
    epoll_event watch {};
    watch.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
    watch.data.fd = fd;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &watch) != 0) {
        ::close(fd);
        return;
    }
    // Registering a socket that is already readable reports it at once,
    // so the first request is read when epoll says so.
    Slot& slot = connections_[fd];
    slot.connection = std::make_unique<ClientConnection>(fd, address, nowMs, limits_);
    ++perAddress_[address];
    requeue(fd, slot);
}

void HttpServer::drive(int fd, Slot& slot, std::int64_t nowMs)
{
    switch (slot.connection->drive(responder_, log_, nowMs)) {
    case ClientConnection::Next::Wait: break;
    case ClientConnection::Next::WaitToWrite:
        if (watchingWrites_.insert(fd).second) {
            epoll_event watch {};
            watch.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
            watch.data.fd = fd;
            // Watching for room from now on: a socket that already has room
            // is reported at once, so no chance to write is missed.
            if (::epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, fd, &watch) != 0) {
                closeConnection(fd);
                return;
            }
        }
        break;
    case ClientConnection::Next::Close: closeConnection(fd); return;
    }
    requeue(fd, slot);
}

void HttpServer::requeue(int fd, Slot& slot)
{
    // Something just happened on the connection: if it waits for a request
    // now, it is the one that has waited the shortest. One that stays in
    // another queue keeps its place.
    const ClientConnection::Stage stage = slot.connection->stage();
    const std::size_t queue = queueOf(stage);
    if (queue == slot.queue && stage != ClientConnection::Stage::Waiting)
        return;
    leaveQueue(slot);
    if (queue < reclaimable_.size()) {
        slot.place = reclaimable_[queue].insert(reclaimable_[queue].end(), fd);
        slot.queue = queue;
    }
}

void HttpServer::leaveQueue(Slot& slot)
{
    if (slot.queue == kNoQueue)
        return;
    reclaimable_[slot.queue].erase(slot.place);
    slot.queue = kNoQueue;
}

bool HttpServer::makeRoom()
{
    for (const std::list<int>& queue : reclaimable_) {
        if (!queue.empty()) {
            closeConnection(queue.front());
            return true;
        }
    }
    return false;
}

void HttpServer::closeConnection(int fd)
{
    const auto found = connections_.find(fd);
    if (found == connections_.end())
        return;
    leaveQueue(found->second);
    const auto fromAddress = perAddress_.find(found->second.connection->clientAddress());
    if (fromAddress != perAddress_.end() && --fromAddress->second == 0)
        perAddress_.erase(fromAddress);
    // Closing the socket (its only descriptor) also takes it out of epoll.
    connections_.erase(found);
    watchingWrites_.erase(fd);
    if (acceptPaused_ && listener_.valid()) {
        epoll_event listening {};
        listening.events = EPOLLIN;
        listening.data.fd = listener_.get();
        acceptPaused_ = ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, listener_.get(), &listening) != 0;
    }
}

void HttpServer::closeExpired(std::int64_t nowMs)
{
    for (auto it = connections_.begin(); it != connections_.end();) {
        const int fd = it->first;
        const bool expired = it->second.connection->expired(nowMs);
        ++it;
        if (expired)
            closeConnection(fd);
    }
}

void HttpServer::flushLog()
{
    if (log_.empty())
        return;
    if (sink_)
        sink_(std::move(log_));
    log_.clear();
}
