#include "fileshare/http/ByteRange.h"

#include "fileshare/http/HttpText.h"

#include <algorithm>

std::optional<ByteRange> ByteRange::parse(std::string_view value)
{
    value = HttpText::trim(value);
    constexpr std::string_view kUnit = "bytes=";
    if (!HttpText::startsWithNoCase(value, kUnit))
        return std::nullopt;
    value = HttpText::trim(value.substr(kUnit.size()));
    if (value.find(',') != std::string_view::npos)
        return std::nullopt;
    const std::size_t dash = value.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const std::string_view left = HttpText::trim(value.substr(0, dash));
    const std::string_view right = HttpText::trim(value.substr(dash + 1));

    ByteRange range;
    if (left.empty()) {
        range.last = HttpText::parseUnsigned(right);
        if (!range.last)
            return std::nullopt;
        return range;
    }
    range.first = HttpText::parseUnsigned(left);
    if (!range.first)
        return std::nullopt;
    if (!right.empty()) {
        range.last = HttpText::parseUnsigned(right);
        if (!range.last || *range.last < *range.first)
            return std::nullopt;
    }
    return range;
}

std::optional<ByteRange::Span> ByteRange::resolve(std::uint64_t size) const
{
    if (size == 0)
        return std::nullopt;
    if (!first) {
        if (*last == 0)
            return std::nullopt;
        return Span {size - std::min(*last, size), size - 1};
    }
    if (*first >= size)
        return std::nullopt;
    return Span {*first, last ? std::min(*last, size - 1) : size - 1};
}
