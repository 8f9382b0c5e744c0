#pragma once

#include "fileshare/http/HttpConnection.h"
#include "fileshare/http/ServerLimits.h"
#include "platform/UniqueFd.h"

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
// Connections are capped per client address and in all (ServerLimits). When
// the server runs short, of connections or of descriptors, the connections
// that wait for a request are closed to make room, the one that has waited
// longest first: a client that opens connections and sends nothing cannot
// lock others out, and one that keeps using its connection keeps it.
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
    struct Slot {
        std::unique_ptr<HttpConnection> connection;
        // Its place in idle_, or idle_.end() while it has a request in hand.
        std::list<int>::iterator idlePlace;
    };

    void acceptOne(std::int64_t nowMs);
    void drive(int fd, Slot& slot, std::int64_t nowMs);
    // After an event on the connection: puts it last in idle_ when it waits
    // for a request, takes it out otherwise.
    void noteWaiting(int fd, Slot& slot);
    // False when no connection waits for a request.
    bool closeOldestWaiting();
    void closeConnection(int fd);
    void closeExpired(std::int64_t nowMs);
    void flushLog();
    static std::int64_t monotonicMs();

    const SiteResponder& responder_;
    LogSink sink_;
    ServerLimits limits_;
    UniqueFd listener_;
    UniqueFd epoll_;
    UniqueFd wake_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_ {false};
    bool acceptPaused_ = false;
    std::unordered_map<int, Slot> connections_;
    // The connections that wait for a request, the one that has waited
    // longest (since it connected or was last answered) first.
    std::list<int> idle_;
    std::unordered_map<std::uint32_t, std::size_t> perAddress_;
    // Connections also watched for room to write (after a write blocked).
    std::unordered_set<int> watchingWrites_;
    std::string log_;
};
