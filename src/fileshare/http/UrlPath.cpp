#include "fileshare/http/UrlPath.h"

#include "fileshare/http/HttpText.h"

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isForbiddenByte(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == '\\';
}

// The path of an absolute-form target ("http://host:port/path").
std::string_view withoutSchemeAndHost(std::string_view target)
{
    for (const std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (HttpText::startsWithNoCase(target, scheme)) {
            const std::size_t slash = target.find('/', scheme.size());
            return slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
        }
    }
    return target;
}

bool hasDotDotSegment(std::string_view path)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find('/', start);
        if (path.substr(start, end - start) == "..")
            return true;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return false;
}

} // namespace

UrlPath::Result UrlPath::decode(std::string_view target)
{
    Result result;
    target = withoutSchemeAndHost(target);
    target = target.substr(0, target.find_first_of("?#"));
    if (target.empty() || target.front() != '/')
        return result;

    std::string decoded;
    decoded.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        char c = target[i];
        if (c == '%') {
            if (i + 2 >= target.size())
                return result;
            const int high = hexValue(target[i + 1]);
            const int low = hexValue(target[i + 2]);
            if (high < 0 || low < 0)
                return result;
            c = static_cast<char>(high * 16 + low);
            i += 2;
            if (c == '/')
                return result; // an encoded "/" would name a path two ways
        }
        if (isForbiddenByte(static_cast<unsigned char>(c)))
            return result;
        decoded += c;
    }

    // A ".." segment holds no "-", so both readings are refused alike.
    result.verdict = hasDotDotSegment(decoded) ? Verdict::Refused : Verdict::Ok;
    if (decoded.find("-_-") != std::string::npos) {
        result.blankPath.reserve(decoded.size());
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            if (decoded.compare(i, 3, "-_-") == 0) {
                result.blankPath += ' ';
                i += 2;
            } else {
                result.blankPath += decoded[i];
            }
        }
    }
    result.path = std::move(decoded);
    return result;
}
