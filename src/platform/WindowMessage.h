#pragma once

// Plain C++ (no Qt): the browser helper library sends with it too.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// One window message: a number, a wParam and a text, addressed to a window
// (child 0) or to one of its child controls (child 1 is the first child).
//
// On the wire (little-endian), a request is
//   "QSWM", u32 message, i64 wParam, u32 child, u32 text length, UTF-8 text
// and the reply is
//   "QSWR", u32 status, i64 result.
struct WindowMessage {
    static constexpr std::uint32_t WM_SETTEXT = 0x000C;
    static constexpr std::size_t kHeaderSize = 24;
    static constexpr std::size_t kReplySize = 16;
    static constexpr std::size_t kMaxTextBytes = 256 * 1024;

    enum class ReplyStatus : std::uint32_t { Handled = 0, Refused = 1 };

    std::uint32_t message = 0;
    std::int64_t wParam = 0;
    std::uint32_t child = 0;
    std::string text;

    std::string encode() const;

    enum class DecodeResult { Complete, NeedMore, Malformed, TooLarge };
    // Decodes a request from the start of `data`; on Complete, `consumed` is its length.
    static DecodeResult decode(const char* data, std::size_t size, WindowMessage& out, std::size_t& consumed);

    static std::string encodeReply(ReplyStatus status, std::int64_t result);
    // The result of a Handled reply; nothing for a refusal or a bad reply.
    static std::optional<std::int64_t> decodeReply(const char* data, std::size_t size);
};
