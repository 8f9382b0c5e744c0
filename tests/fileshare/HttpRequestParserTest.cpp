#include "fileshare/http/HttpRequestParser.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

using Status = HttpRequestParser::Status;

struct ParseCase {
    const char* name;
    std::string input;
    Status status;
    int version = 0;
    bool keepAlive = false;
    bool hasBody = false;
};

class ParseCases : public testing::TestWithParam<ParseCase> { };

TEST_P(ParseCases, ReadsTheHead)
{
    const ParseCase& c = GetParam();
    const auto result = HttpRequestParser::parse(c.input);
    ASSERT_EQ(result.status, c.status);
    if (c.status != Status::Complete)
        return;
    EXPECT_EQ(result.request.version, c.version);
    EXPECT_EQ(result.request.keepAlive, c.keepAlive);
    EXPECT_EQ(result.request.hasBody, c.hasBody);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCases,
    testing::Values(
        ParseCase {"Http11KeepsAlive", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", Status::Complete, 11, true},
        ParseCase {"Http11Close", "GET / HTTP/1.1\r\nConnection: close\r\n\r\n", Status::Complete, 11, false},
        ParseCase {"Http10Closes", "GET / HTTP/1.0\r\n\r\n", Status::Complete, 10, false},
        ParseCase {"Http10KeepAlive", "GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", Status::Complete, 10, true},
        ParseCase {"Http09", "GET /a\r\n", Status::Complete, 9, false},
        ParseCase {"Http09OnlyGet", "HEAD /a\r\n", Status::Bad},
        ParseCase {"BareLineEnds", "GET / HTTP/1.1\nHost: x\n\n", Status::Complete, 11, true},
        ParseCase {"LeadingEmptyLines", "\r\n\r\nGET / HTTP/1.1\r\n\r\n", Status::Complete, 11, true},
        ParseCase {"BodyEndsKeepAlive", "POST / HTTP/1.1\r\nContent-Length: 5\r\n\r\n", Status::Complete, 11, false,
                   true},
        ParseCase {"ChunkedBody", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", Status::Complete, 11, false,
                   true},
        ParseCase {"Unfinished", "GET / HTTP/1.1\r\nHost: x\r\n", Status::NeedMore},
        ParseCase {"UnfinishedLine", "GET / HT", Status::NeedMore},
        ParseCase {"Http19", "GET / HTTP/1.9\r\n\r\n", Status::UnsupportedVersion},
        ParseCase {"Http2", "GET / HTTP/2.0\r\n\r\n", Status::UnsupportedVersion},
        ParseCase {"VersionGarbage", "GET / HTTP/1.x\r\n\r\n", Status::Bad},
        ParseCase {"NoTarget", "GET  HTTP/1.1\r\n\r\n", Status::Bad},
        ParseCase {"NulInLine", std::string("GET /a\0b HTTP/1.1\r\n\r\n", 21), Status::Bad},
        ParseCase {"ControlInHeader", "GET / HTTP/1.1\r\nX: a\x01\r\n\r\n", Status::Bad},
        ParseCase {"FoldedHeader", "GET / HTTP/1.1\r\nX: a\r\n b\r\n\r\n", Status::Bad},
        ParseCase {"HeaderWithoutColon", "GET / HTTP/1.1\r\nNoColon\r\n\r\n", Status::Bad},
        ParseCase {"TwoLengths", "GET / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", Status::Bad},
        ParseCase {"NegativeLength", "GET / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", Status::Bad},
        ParseCase {"HugeLine", "GET /" + std::string(20000, 'a'), Status::TooLarge},
        ParseCase {"HugeHeaders", "GET / HTTP/1.1\r\nX: " + std::string(20000, 'a') + "\r\n\r\n", Status::TooLarge},
        ParseCase {"TooManyHeaders",
                   [] {
                       std::string text = "GET / HTTP/1.1\r\n";
                       for (int i = 0; i < 150; ++i)
                           text += "X: y\r\n";
                       return text + "\r\n";
                   }(),
                   Status::TooLarge}),
    CaseName());

TEST(HttpRequestParser, TakesTheFieldsTheResponsesNeed)
{
    const std::string input = "GET /a%20b?q=1 HTTP/1.1\r\nrange: bytes=10-19\r\nIf-Modified-Since: Sun, 06 Nov 1994 "
                              "08:49:37 GMT\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\nGET /next HTTP/1.1\r\n\r\n";
    const auto result = HttpRequestParser::parse(input);
    ASSERT_EQ(result.status, Status::Complete);
    const ClientRequest& request = result.request;
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/a%20b?q=1");
    EXPECT_EQ(request.requestLine, "GET /a%20b?q=1 HTTP/1.1");
    ASSERT_TRUE(request.range.has_value());
    EXPECT_EQ(request.range->first, 10u);
    EXPECT_EQ(request.range->last, 19u);
    EXPECT_EQ(request.ifModifiedSince, 784111777);
    EXPECT_EQ(request.userName, "user");
    // The pipelined second request stays in the input.
    EXPECT_EQ(input.substr(result.consumed), "GET /next HTTP/1.1\r\n\r\n");
}

} // namespace
