#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// One line of the access log per answered request:
//   127.0.0.1 - - [05/Mar/2024:14:03:09 -060] "GET / HTTP/1.1" 200 512
// The bias after the time is UTC minus local time in minutes. The request
// line and user name come from the network: their control characters,
// backslashes and quotes are escaped, so one request is always one line.
struct AccessLogLine {
    std::uint32_t clientAddress = 0; // IPv4, host byte order
    std::string userName;
    std::string requestLine;
    int status = 0;
    std::uint64_t bodyBytes = 0;

    // With the machine's local time and time zone at `now`.
    std::string format(std::time_t now) const;
    // With the local time and the bias given.
    std::string format(const std::tm& local, long biasMinutes) const;
};
