#include "fileshare/http/AccessLogLine.h"

#include <gtest/gtest.h>

namespace {

std::tm localTime()
{
    std::tm local {};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 14;
    local.tm_min = 3;
    local.tm_sec = 9;
    return local;
}

TEST(AccessLogLine, OneHourEastOfUtc)
{
    AccessLogLine line;
    line.clientAddress = 0xC0A80105; // 192.168.1.5
    line.requestLine = "GET /missing HTTP/1.1";
    line.status = 404;
    line.bodyBytes = 365;
    EXPECT_EQ(line.format(localTime(), -60),
              "192.168.1.5 - - [05/Mar/2024:14:03:09 -060] \"GET /missing HTTP/1.1\" 404 365");
    EXPECT_EQ(line.format(localTime(), 300).find("[05/Mar/2024:14:03:09 0300]"), 16u);
}

TEST(AccessLogLine, NetworkFieldsCannotBreakTheLine)
{
    AccessLogLine line;
    line.clientAddress = 0x7F000001;
    line.userName = "eve\r\n127.0.0.1 - admin";
    line.requestLine = "GET /a\x1b[31m\" 200 0 HTTP/1.1";
    line.status = 400;
    const std::string text = line.format(localTime(), 0);
    EXPECT_EQ(text,
              "127.0.0.1 - eve\\x0D\\x0A127.0.0.1 - admin [05/Mar/2024:14:03:09 0000] "
              "\"GET /a\\x1B[31m\\\" 200 0 HTTP/1.1\" 400 0");
}

} // namespace
