#pragma once

#include "fileshare/http/ByteRange.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

// What the response layer needs of one request.
struct ClientRequest {
    std::string method;
    // Major × 10 + minor: 9 for a bare HTTP/0.9 request line, 10, 11.
    int version = 9;
    // The request target as sent, not yet decoded.
    std::string target;
    // The request line without its line end, for the access log.
    std::string requestLine;
    std::optional<ByteRange> range;
    std::optional<std::time_t> ifModifiedSince;
    // From "Authorization: Basic"; empty without one.
    std::string userName;
    // The client wants the connection kept open after the answer.
    bool keepAlive = false;
    // The request carries a body (Content-Length above 0 or a transfer coding).
    bool hasBody = false;
};
