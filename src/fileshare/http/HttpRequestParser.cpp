#include "fileshare/http/HttpRequestParser.h"

#include "fileshare/http/BasicCredentials.h"
#include "fileshare/http/HttpDate.h"
#include "fileshare/http/HttpText.h"

namespace {

bool isTokenChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F)
        return false;
    return std::string_view("()<>@,;:\\\"/[]?={}").find(c) == std::string_view::npos;
}

bool isToken(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

// A line without its end: "\r\n" or a bare "\n".
std::string_view withoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool hasControlCharacter(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F)
            return true;
    }
    return false;
}

} // namespace

HttpRequestParser::Result HttpRequestParser::parse(std::string_view input)
{
    Result result;
    std::size_t position = 0;
    // Empty lines before a request line are ignored, as HTTP asks.
    while (position < input.size() && (input[position] == '\r' || input[position] == '\n'))
        ++position;

    const std::size_t firstEnd = input.find('\n', position);
    if (firstEnd == std::string_view::npos) {
        result.status = input.size() > kMaxHeadBytes ? Status::TooLarge : Status::NeedMore;
        return result;
    }
    if (firstEnd > kMaxHeadBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    ClientRequest& request = result.request;
    result.status = parseRequestLine(withoutLineEnd(input.substr(position, firstEnd - position)), request);
    if (result.status != Status::Complete)
        return result;
    position = firstEnd + 1;
    if (request.version == 9) {
        result.status = Status::Complete;
        result.consumed = position;
        return result;
    }

    std::optional<std::uint64_t> contentLength;
    std::size_t lines = 0;
    for (;;) {
        const std::size_t end = input.find('\n', position);
        if (end == std::string_view::npos) {
            result.status = input.size() > kMaxHeadBytes ? Status::TooLarge : Status::NeedMore;
            return result;
        }
        if (end >= kMaxHeadBytes || ++lines > kMaxHeaderLines + 1) {
            result.status = Status::TooLarge;
            return result;
        }
        const std::string_view line = withoutLineEnd(input.substr(position, end - position));
        position = end + 1;
        if (line.empty())
            break;
        if (!parseHeaderLine(line, request, contentLength)) {
            result.status = Status::Bad;
            return result;
        }
    }
    if (contentLength && *contentLength > 0)
        request.hasBody = true;
    if (request.hasBody)
        request.keepAlive = false;
    result.status = Status::Complete;
    result.consumed = position;
    return result;
}

HttpRequestParser::Status HttpRequestParser::parseRequestLine(std::string_view line, ClientRequest& request)
{
    if (line.empty() || hasControlCharacter(line) || line.find('\t') != std::string_view::npos)
        return Status::Bad;
    request.requestLine = std::string(line);

    const std::size_t firstBlank = line.find(' ');
    if (firstBlank == std::string_view::npos)
        return Status::Bad;
    const std::string_view method = line.substr(0, firstBlank);
    std::string_view rest = line.substr(firstBlank + 1);
    const std::size_t secondBlank = rest.find(' ');
    const std::string_view target = rest.substr(0, secondBlank);
    if (!isToken(method) || target.empty())
        return Status::Bad;
    request.method = std::string(method);
    request.target = std::string(target);

    if (secondBlank == std::string_view::npos) {
        // HTTP/0.9: "GET /path" and nothing else.
        request.version = 9;
        return method == "GET" ? Status::Complete : Status::Bad;
    }
    // "HTTP/" DIGIT "." DIGIT; of those, only 1.0 and 1.1 are spoken here.
    const std::string_view version = rest.substr(secondBlank + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || !isDigit(version[5]) || version[6] != '.'
        || !isDigit(version[7]))
        return Status::Bad;
    request.version = (version[5] - '0') * 10 + (version[7] - '0');
    if (request.version != 10 && request.version != 11)
        return Status::UnsupportedVersion;
    request.keepAlive = request.version == 11;
    return Status::Complete;
}

bool HttpRequestParser::parseHeaderLine(std::string_view line, ClientRequest& request,
                                        std::optional<std::uint64_t>& length)
{
    if (line.front() == ' ' || line.front() == '\t' || hasControlCharacter(line))
        return false; // folded or damaged header lines are not accepted
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !isToken(line.substr(0, colon)))
        return false;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = HttpText::trim(line.substr(colon + 1));

    if (HttpText::equalsNoCase(name, "Connection")) {
        if (HttpText::listContains(value, "close"))
            request.keepAlive = false;
        else if (HttpText::listContains(value, "keep-alive"))
            request.keepAlive = true;
    } else if (HttpText::equalsNoCase(name, "Range")) {
        request.range = ByteRange::parse(value);
    } else if (HttpText::equalsNoCase(name, "If-Modified-Since")) {
        request.ifModifiedSince = HttpDate::parse(value);
    } else if (HttpText::equalsNoCase(name, "Authorization")) {
        request.userName = BasicCredentials::userName(value);
    } else if (HttpText::equalsNoCase(name, "Content-Length")) {
        const auto parsed = HttpText::parseUnsigned(value);
        if (!parsed || (length && *length != *parsed))
            return false;
        length = parsed;
    } else if (HttpText::equalsNoCase(name, "Transfer-Encoding")) {
        request.hasBody = true;
    }
    return true;
}
