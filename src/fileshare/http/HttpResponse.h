#pragma once

#include "platform/UniqueFd.h"

#include <cstdint>
#include <string>

// One answer, ready for the wire: the head (status line and header lines,
// empty for HTTP/0.9), then an in-memory body or a span of an open file.
struct HttpResponse {
    int status = 200;
    std::string head;
    std::string body;
    UniqueFd file;
    std::uint64_t fileOffset = 0;
    std::uint64_t fileLength = 0;
    // The connection stays open for the client's next request.
    bool keepAlive = false;

    std::uint64_t bodyBytes() const { return body.size() + fileLength; }
};
