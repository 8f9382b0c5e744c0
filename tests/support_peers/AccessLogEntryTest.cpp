#include "support/AccessLogEntry.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct LogCase {
    std::string name;
    QString line;
    bool parsed;
    AccessLogEntry entry;
};

class AccessLogEntryTest : public testing::TestWithParam<LogCase> { };

TEST_P(AccessLogEntryTest, ReadsTheSharedLayout)
{
    const LogCase& row = GetParam();
    const std::optional<AccessLogEntry> entry = AccessLogEntry::parse(row.line);
    ASSERT_EQ(entry.has_value(), row.parsed);
    if (!entry)
        return;
    EXPECT_EQ(entry->request, row.entry.request);
    EXPECT_EQ(entry->range, row.entry.range);
    EXPECT_EQ(entry->userAgent, row.entry.userAgent);
    EXPECT_EQ(entry->status, row.entry.status);
    EXPECT_EQ(entry->bytes, row.entry.bytes);
}

INSTANTIATE_TEST_SUITE_P(Lines, AccessLogEntryTest,
                         testing::Values(LogCase {"Ranged",
                                                  QStringLiteral("GET /a.bin HTTP/1.1|bytes=10-19|KEVA|206|10"),
                                                  true,
                                                  {QStringLiteral("GET /a.bin HTTP/1.1"), QStringLiteral("bytes=10-19"),
                                                   QStringLiteral("KEVA"), 206, 10}},
                                         LogCase {"DashesAreAbsentValues",
                                                  QStringLiteral("HEAD /a.bin HTTP/1.0|-|-|-|-"),
                                                  true,
                                                  {QStringLiteral("HEAD /a.bin HTTP/1.0"), {}, {}, 0, -1}},
                                         LogCase {
                                             "UserAgentWithBars",
                                             QStringLiteral("GET / HTTP/1.1|-|a|b|c|200|5"),
                                             true,
                                             {QStringLiteral("GET / HTTP/1.1"), {}, QStringLiteral("a|b|c"), 200, 5}},
                                         LogCase {"TooFewFields", QStringLiteral("GET / HTTP/1.1|-|200"), false, {}},
                                         LogCase {"EmptyLine", QString(), false, {}}),
                         CaseName());

} // namespace
