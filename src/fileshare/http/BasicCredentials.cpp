#include "fileshare/http/BasicCredentials.h"

#include "fileshare/http/HttpText.h"

namespace {

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::string BasicCredentials::userName(std::string_view authorization)
{
    constexpr std::string_view kScheme = "Basic ";
    if (!HttpText::startsWithNoCase(authorization, kScheme))
        return {};
    const std::string_view encoded = HttpText::trim(authorization.substr(kScheme.size()));

    std::string decoded;
    unsigned bits = 0;
    int bitCount = 0;
    for (const char c : encoded) {
        if (c == '=')
            break;
        const int value = base64Value(c);
        if (value < 0)
            return {};
        bits = (bits << 6) | static_cast<unsigned>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            decoded += static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    const std::size_t colon = decoded.find(':');
    return colon == std::string::npos ? std::string() : decoded.substr(0, colon);
}
