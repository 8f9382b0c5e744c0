#include "fileshare/http/ResponseHead.h"

#include "fileshare/http/HttpDate.h"

#include <cstdint>

std::string ResponseHead::statusLine(int code)
{
    switch (code) {
    case 200: return "HTTP/1.1 200 OK";
    case 201: return "HTTP/1.1 201 Created";
    case 202: return "HTTP/1.1 202 Accepted";
    case 204: return "HTTP/1.1 204 No Content";
    case 206: return "HTTP/1.1 206 Partial content";
    case 300: return "HTTP/1.1 300 Multiple Choices";
    case 301: return "HTTP/1.1 301 Moved Permanently";
    case 302: return "HTTP/1.1 302 Moved Temporarily";
    case 304: return "HTTP/1.1 304 Not Modified";
    case 400: return "HTTP/1.1 400 Bad Request";
    case 401: return "HTTP/1.1 401 Unauthorized";
    case 403: return "HTTP/1.1 403 Forbidden";
    case 404: return "HTTP/1.1 404 Not Found";
    case 416: return "HTTP/1.1 416 Requested Range Not Satisfiable";
    case 500: return "HTTP/1.1 500 Internal Server Error";
    case 501: return "HTTP/1.1 501 Not Implemented";
    case 502: return "HTTP/1.1 502 Bad Gateway";
    case 503: return "HTTP/1.1 503 Service Unavailable";
    case 505: return "HTTP/1.1 505 HTTP Version Not Supported";
    default: return "HTTP/1.1 " + std::to_string(code);
    }
}

ResponseHead::ResponseHead(int code, std::time_t now, std::string_view serverName)
    : code_(code)
{
    text_.reserve(256);
    text_ += statusLine(code);
    text_ += "\r\n";
    add("Date", HttpDate::format(now));
    add("Server", serverName);
    text_ += kAllow;
    text_ += "\r\n";
}

ResponseHead& ResponseHead::add(std::string_view name, std::string_view value)
{
    text_ += name;
    text_ += ": ";
    text_ += value;
    text_ += "\r\n";
    return *this;
}

ResponseHead& ResponseHead::addLength(std::uint64_t length)
{
    return add("Content-Length", std::to_string(length));
}

std::string ResponseHead::finish(int version, bool keepAlive)
{
    if (version >= 11 && !keepAlive)
        text_ += "Connection: close\r\n";
    else if (version == 10 && keepAlive)
        text_ += "Connection: keep-alive\r\n";
    text_ += "\r\n";
    return std::move(text_);
}
