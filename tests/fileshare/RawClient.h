#pragma once

#include <cstdint>
#include <string>

// A bare TCP client for tests that must send exactly the bytes they mean:
// broken heads, pipelined requests, slow trickles.
class RawClient {
public:
    // `from`, when given, is the loopback address the client connects from
    // (127.0.0.2 and so on), so the server sees another client.
    explicit RawClient(std::uint16_t port, const char* from = nullptr);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(const std::string& bytes);
    // Reads until the server closes or `timeoutMs` passes without data.
    std::string readUntilClosed(int timeoutMs = 3000);
    // Reads until `count` bytes arrived, the server closes or time runs out.
    std::string readAtLeast(std::size_t count, int timeoutMs = 3000);
    // True when the server closed the connection within `timeoutMs`.
    bool closedWithin(int timeoutMs);

    // One request on a fresh connection; the whole answer.
    static std::string exchange(std::uint16_t port, const std::string& request, const char* from = nullptr);

private:
    int fd_ = -1;
};
