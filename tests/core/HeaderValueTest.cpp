#include "core/HeaderValue.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct HeaderCase {
    const char* name;
    const char* reply;
    const char* key;
    const char* expected;
};

class HeaderValueCases : public testing::TestWithParam<HeaderCase> { };

TEST_P(HeaderValueCases, FindsTheValue)
{
    const HeaderCase& c = GetParam();
    EXPECT_EQ(GetHeaderValue(QString::fromLatin1(c.reply), QString::fromLatin1(c.key)),
              QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderValueCases,
    testing::Values(HeaderCase {"Present", "HTTP/1.1 200 OK\r\nContent-Length: 1234\r\nServer: x\r\n\r\n",
                                "Content-Length:", "1234"},
                    HeaderCase {"LowerCaseName", "HTTP/1.1 200 OK\r\ncontent-length: 1234\r\n\r\n",
                                "Content-Length:", "1234"},
                    HeaderCase {"Absent", "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", "Content-Length:", ""},
                    HeaderCase {"EmptyReply", "", "Content-Length:", ""},
                    HeaderCase {"NoLineEnd", "Location: http://h/f", "Location:", "http://h/f"},
                    HeaderCase {"KeyAtTheVeryEnd", "X: 1\r\nLocation:", "Location:", ""},
                    HeaderCase {"FirstOccurrenceWins", "A: 1\r\nA: 2\r\n", "A:", "1"},
                    HeaderCase {"OneCharacterSkipped", "Content-Length:99\r\n", "Content-Length:", "9"}),
    CaseName());

} // namespace
