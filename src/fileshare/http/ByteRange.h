#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// One byte range of a "Range: bytes=..." header: "first-last", "first-" or
// "-suffix". A header with several ranges or with bad syntax yields nothing,
// and the whole file is sent, as HTTP allows.
struct ByteRange {
    std::optional<std::uint64_t> first; // absent for a suffix range
    std::optional<std::uint64_t> last;  // absent for "first-"; the suffix length for "-suffix"

    static std::optional<ByteRange> parse(std::string_view value);

    struct Span {
        std::uint64_t first;
        std::uint64_t last; // inclusive
    };
    // The bytes of a file of `size` bytes that the range selects; nothing when
    // it selects none (answered with 416).
    std::optional<Span> resolve(std::uint64_t size) const;
};
