#pragma once

#include "fileshare/http/ClientRequest.h"

#include <cstddef>
#include <string_view>

// Reads one request head (request line and header lines) from the start of
// a connection's input. Plain C++, so the fuzzer can take it alone.
class HttpRequestParser {
public:
    // A request head larger than this is refused as too large.
    static constexpr std::size_t kMaxHeadBytes = 16 * 1024;
    static constexpr std::size_t kMaxHeaderLines = 100;

    // UnsupportedVersion: a well-formed request line naming an HTTP version
    // other than 1.0 and 1.1 (a bare HTTP/0.9 line is Complete).
    enum class Status { NeedMore, Complete, Bad, TooLarge, UnsupportedVersion };
    struct Result {
        Status status = Status::NeedMore;
        // On Complete: the length of the head, line ends included.
        std::size_t consumed = 0;
        ClientRequest request;
    };

    static Result parse(std::string_view input);

private:
    // Complete, Bad or UnsupportedVersion.
    static Status parseRequestLine(std::string_view line, ClientRequest& request);
    static bool parseHeaderLine(std::string_view line, ClientRequest& request, std::optional<std::uint64_t>& length);
};
