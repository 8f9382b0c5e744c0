#include "support/CaseName.h"
#include "support/FtpCommand.h"

#include <gtest/gtest.h>

// Both command logs give the same commands; vsftpd's other lines give none.
namespace {

struct ParseCase {
    std::string name;
    QString line;
    bool parsed;
    QString verb;
    QString argument;
};

class FtpCommandTest : public testing::TestWithParam<ParseCase> { };

TEST_P(FtpCommandTest, ReadsTheCommand)
{
    const ParseCase& row = GetParam();
    const std::optional<FtpCommand> command = FtpCommand::parse(row.line);
    ASSERT_EQ(command.has_value(), row.parsed);
    if (row.parsed) {
        EXPECT_EQ(command->verb, row.verb);
        EXPECT_EQ(command->argument, row.argument);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FtpCommandTest,
    testing::Values(
        ParseCase {"Plain", QStringLiteral("REST 500"), true, QStringLiteral("REST"), QStringLiteral("500")},
        ParseCase {"NoArgument", QStringLiteral("pasv"), true, QStringLiteral("PASV"), {}},
        ParseCase {"PathWithSpaces", QStringLiteral("RETR /a b.bin"), true, QStringLiteral("RETR"),
                   QStringLiteral("/a b.bin")},
        ParseCase {"Empty", QString(), false, {}, {}},
        ParseCase {"VsftpdCommand",
                   QStringLiteral("Mon Dec  7 04:43:57 2026 [pid 15077] [ftp] FTP command: Client \"127.0.0.1\", "
                                  "\"RETR \"odd\".bin\""),
                   true, QStringLiteral("RETR"), QStringLiteral("\"odd\".bin")},
        ParseCase {"VsftpdResponse",
                   QStringLiteral("Mon Dec  7 04:43:57 2026 [pid 15077] [ftp] FTP response: Client \"127.0.0.1\", "
                                  "\"226 Transfer complete.\""),
                   false,
                   {},
                   {}},
        ParseCase {"VsftpdConnect",
                   QStringLiteral("Mon Dec  7 04:43:57 2026 [pid 15077] CONNECT: Client \"127.0.0.1\""),
                   false,
                   {},
                   {}}),
    CaseName());

} // namespace
