#pragma once

#include "fileshare/http/ClientConnection.h"
#include "fileshare/http/ServerLimits.h"
#include "platform/UniqueFd.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

class SiteResponder;

// The site's server: one thread running an epoll loop over non-blocking
// sockets, so a slow client never holds up the others. Answers come from a
// SiteResponder; access-log lines are handed to the sink in batches, each
// line ending in CR LF, whenever the loop is about to wait.
//
// Connections are capped per client address and in all (ServerLimits), and
// in all also by the open-file limit, so that every connection has a
// descriptor in reserve for the file it is to send. When the server runs
// short, of connections or of descriptors, a connection is closed to make
// room: one that has sent part of a request head, else one lingering after
// its last answer, else one that waits for a request, in each group the one
// that has been in it longest. A client that opens connections and sends
// nothing, or never ends its heads, cannot lock others out; one that keeps
// using its connection keeps it, and one being answered is never cut off.
class HttpServer {
public:
    using LogSink = std::function<void(std::string)>;

    HttpServer(const SiteResponder& responder, LogSink sink, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens on an IPv4 address; port 0 picks a free port. On
    // failure `error` holds the system's reason (invalid_argument for an
    // address that is not IPv4).
    bool listen(const std::string& address, std::uint16_t port, std::error_code& error);
    std::uint16_t port() const { return port_; }

    // Serves until stop() is called; then every connection is closed.
    void run();
    // From any thread.
    void stop();

private:
    static constexpr std::size_t kNoQueue = static_cast<std::size_t>(-1);

    struct Slot {
        std::unique_ptr<ClientConnection> connection;
        // The queue of reclaimable_ it is in and its place there; kNoQueue
        // while it may not be closed to make room.
        std::size_t queue = kNoQueue;
        std::list<int>::iterator place;
    };

    void acceptOne(std::int64_t nowMs);
    void drive(int fd, Slot& slot, std::int64_t nowMs);
    // The queue of reclaimable_ for a connection at `stage`.
    static std::size_t queueOf(ClientConnection::Stage stage);
    // After an event on the connection: moves it to the queue its stage
    // belongs in.
    void requeue(int fd, Slot& slot);
    void leaveQueue(Slot& slot);
    // Closes the first connection of the first queue that has one; false
    // when all are empty.
    bool makeRoom();
    void closeConnection(int fd);
    void closeExpired(std::int64_t nowMs);
    void flushLog();
    static std::int64_t monotonicMs();

    const SiteResponder& responder_;
    LogSink sink_;
    ServerLimits limits_;
    // limits_.maxConnections, or fewer when the open-file limit leaves less
    // room; set when listening starts.
    std::size_t maxConnections_;
    UniqueFd listener_;
    UniqueFd epoll_;
    UniqueFd wake_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_ {false};
    bool acceptPaused_ = false;
    std::unordered_map<int, Slot> connections_;
    // The connections that may be closed to make room, in the order they go:
    // those reading a request head (since its first byte), those lingering
    // after their last answer, then those waiting for a request (since they
    // connected or were last answered).
    std::array<std::list<int>, 3> reclaimable_;
    std::unordered_map<std::uint32_t, std::size_t> perAddress_;
    // Connections also watched for room to write (after a write blocked).
    std::unordered_set<int> watchingWrites_;
    std::string log_;
};
