#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// Times in HTTP headers: "Sun, 06 Nov 1994 08:49:37 GMT", always UTC.
class HttpDate {
public:
    static std::string format(std::time_t time);
    // Reads the preferred form and the two obsolete ones (RFC 850 and asctime).
    static std::optional<std::time_t> parse(std::string_view text);
    // "Jan" to "Dec" for 0 to 11, whatever the locale.
    static const char* monthName(int month);
};
