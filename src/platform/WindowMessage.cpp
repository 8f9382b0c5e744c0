#include "platform/WindowMessage.h"

#include <cstring>

namespace {

constexpr char kRequestMagic[4] = {'Q', 'S', 'W', 'M'};
constexpr char kReplyMagic[4] = {'Q', 'S', 'W', 'R'};

template <typename T> void put(std::string& out, T value)
{
    auto bits = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out.push_back(static_cast<char>(bits & 0xFF));
        bits >>= 8;
    }
}

template <typename T> T get(const char* data)
{
    std::uint64_t bits = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        bits = (bits << 8) | static_cast<unsigned char>(data[i]);
    return static_cast<T>(bits);
}

} // namespace

std::string WindowMessage::encode() const
{
    std::string out(kRequestMagic, sizeof kRequestMagic);
    put(out, message);
    put(out, wParam);
    put(out, child);
    put(out, static_cast<std::uint32_t>(text.size()));
    out += text;
    return out;
}

WindowMessage::DecodeResult WindowMessage::decode(const char* data, std::size_t size, WindowMessage& out,
                                                  std::size_t& consumed)
{
    const std::size_t magicBytes = size < sizeof kRequestMagic ? size : sizeof kRequestMagic;
    if (std::memcmp(data, kRequestMagic, magicBytes) != 0)
        return DecodeResult::Malformed;
    if (size < kHeaderSize)
        return DecodeResult::NeedMore;
    const auto length = get<std::uint32_t>(data + 20);
    if (length > kMaxTextBytes)
        return DecodeResult::TooLarge;
    if (size < kHeaderSize + length)
        return DecodeResult::NeedMore;
    out.message = get<std::uint32_t>(data + 4);
    out.wParam = get<std::int64_t>(data + 8);
    out.child = get<std::uint32_t>(data + 16);
    out.text.assign(data + kHeaderSize, length);
    consumed = kHeaderSize + length;
    return DecodeResult::Complete;
}

std::string WindowMessage::encodeReply(ReplyStatus status, std::int64_t result)
{
    std::string out(kReplyMagic, sizeof kReplyMagic);
    put(out, static_cast<std::uint32_t>(status));
    put(out, result);
    return out;
}

std::optional<std::int64_t> WindowMessage::decodeReply(const char* data, std::size_t size)
{
    if (size != kReplySize || std::memcmp(data, kReplyMagic, sizeof kReplyMagic) != 0)
        return std::nullopt;
    if (get<std::uint32_t>(data + 4) != static_cast<std::uint32_t>(ReplyStatus::Handled))
        return std::nullopt;
    return get<std::int64_t>(data + 8);
}
