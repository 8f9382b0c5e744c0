#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Small text helpers for HTTP fields: trimming, case-insensitive comparison,
// strict decimal numbers, HTML escaping and percent-encoding.
class HttpText {
public:
    static std::string_view trim(std::string_view text);
    static bool equalsNoCase(std::string_view a, std::string_view b);
    static bool startsWithNoCase(std::string_view text, std::string_view prefix);
    // True when the comma-separated list `value` holds `token` (any case).
    static bool listContains(std::string_view value, std::string_view token);
    // Digits only, no sign, no overflow.
    static std::optional<std::uint64_t> parseUnsigned(std::string_view digits);

    // Escapes & < > " ' for HTML text and attribute values.
    static std::string htmlEscape(std::string_view text);
    // A decoded URL path as a link: every byte but letters, digits, "-._~"
    // and "/" is percent-encoded (a blank as %20), so any client saves the
    // file under its own name.
    static std::string linkPath(std::string_view path);
    // Control characters, backslash and double quote of a network field as
    // \xNN, \\ and \", so a log line stays one line and its quoted fields stay closed.
    static std::string escapeForLog(std::string_view field);
};
