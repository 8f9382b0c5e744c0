#include "core/NetrcFile.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct NetrcCase {
    const char* name;
    QByteArray text;
    const char* host;
    std::optional<NetrcFile::Login> expected;
};

class NetrcFileCases : public testing::TestWithParam<NetrcCase> { };

TEST_P(NetrcFileCases, FindsTheLogin)
{
    const NetrcCase& c = GetParam();
    const std::optional<NetrcFile::Login> found = NetrcFile::lookup(c.text, QString::fromUtf8(c.host));
    ASSERT_EQ(found.has_value(), c.expected.has_value());
    if (found) {
        EXPECT_EQ(found->login, c.expected->login);
        EXPECT_EQ(found->password, c.expected->password);
    }
}

NetrcFile::Login login(const char* user, const char* password)
{
    return {QString::fromUtf8(user), QString::fromUtf8(password)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NetrcFileCases,
    testing::Values(
        NetrcCase {"OneLine", "machine a.example login ann password s3cret\n", "a.example", login("ann", "s3cret")},
        NetrcCase {"SpreadOverLines", "machine a.example\n\tlogin ann\n\tpassword s3cret\n", "a.example",
                   login("ann", "s3cret")},
        NetrcCase {"HostLetterCase", "machine A.Example login ann password x", "a.example", login("ann", "x")},
        NetrcCase {"FirstMatchWins", "machine a.example login one password 1\nmachine a.example login two password 2",
                   "a.example", login("one", "1")},
        NetrcCase {"OtherMachineSkipped",
                   "machine b.example login bob password b\nmachine a.example login ann "
                   "password a",
                   "a.example", login("ann", "a")},
        NetrcCase {"NoMatch", "machine b.example login bob password b", "a.example", std::nullopt},
        NetrcCase {"EmptyFile", "", "a.example", std::nullopt},
        NetrcCase {"DefaultWhenNoMachineMatches",
                   "machine b.example login bob password b\ndefault login anonymous "
                   "password me@home",
                   "a.example", login("anonymous", "me@home")},
        NetrcCase {"MachineAfterDefaultStillWins",
                   "default login anonymous password x\nmachine a.example login ann password a", "a.example",
                   login("ann", "a")},
        NetrcCase {"AccountIgnored", "machine a.example login ann account acct password a", "a.example",
                   login("ann", "a")},
        NetrcCase {"QuotedWithEscapes", R"(machine a.example login "ann smith" password "p \"q\" \\ r")", "a.example",
                   login("ann smith", R"(p "q" \ r)")},
        NetrcCase {"MacroSkipped",
                   "macdef init\nmachine a.example login wrong password wrong\n\nmachine a.example login ann password "
                   "a\n",
                   "a.example", login("ann", "a")},
        NetrcCase {"MacroToTheEnd",
                   "machine b.example login bob password b\nmacdef init\nmachine a.example login "
                   "wrong password wrong\n",
                   "a.example", std::nullopt},
        NetrcCase {"CarriageReturns", "machine a.example\r\nlogin ann\r\npassword a\r\n", "a.example",
                   login("ann", "a")},
        NetrcCase {"NoPassword", "machine a.example login ann", "a.example", login("ann", "")}),
    CaseName());

} // namespace
