#pragma once

#include <ctime>
#include <string>
#include <string_view>

// Writes a response head: the status line, then the header lines every answer
// starts with (Date, Server, Allow), then the caller's lines in the caller's
// order, then the empty line.
class ResponseHead {
public:
    static constexpr std::string_view kAllow = "Allow: GET, HEAD, DELETE";

    // "HTTP/1.1 404 Not Found" and so on, without the line end.
    static std::string statusLine(int code);

    ResponseHead(int code, std::time_t now, std::string_view serverName);

    int code() const { return code_; }

    ResponseHead& add(std::string_view name, std::string_view value);
    ResponseHead& addLength(std::uint64_t length);

    // HTTP/1.0 clients are told when the connection stays open, HTTP/1.1
    // clients when it does not.
    std::string finish(int version, bool keepAlive);

private:
    int code_;
    std::string text_;
};
