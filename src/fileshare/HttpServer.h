#pragma once

#include "fileshare/HttpConnection.h"
#include "fileshare/ServerLimits.h"
#include "fileshare/UniqueFd.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

class SiteResponder;

// The site's server: one thread running an epoll loop over non-blocking
// sockets, so a slow client never holds up the others. Answers come from a
// SiteResponder; access-log lines are handed to the sink in batches, each
// line ending in CR LF, whenever the loop is about to wait.
class HttpServer {
public:
    using LogSink = std::function<void(std::string)>;

    HttpServer(const SiteResponder& responder, LogSink sink, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens on an IPv4 address; port 0 picks a free port.
    bool listen(const std::string& address, std::uint16_t port, std::string& error);
    std::uint16_t port() const { return port_; }

    // Serves until stop() is called; then every connection is closed.
    void run();
    // From any thread.
    void stop();

private:
    void acceptOne(std::int64_t nowMs);
    void drive(HttpConnection& connection, std::int64_t nowMs);
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
    std::unordered_map<int, std::unique_ptr<HttpConnection>> connections_;
    // Connections also watched for room to write (after a write blocked).
    std::unordered_set<int> watchingWrites_;
    std::string log_;
};
