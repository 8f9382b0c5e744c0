#include "fileshare/engine/VantsvcOptions.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct OptionsCase {
    const char* name;
    std::vector<std::string> arguments;
    const char* error; // "" for none
    bool standalone;
};

class OptionsCases : public testing::TestWithParam<OptionsCase> { };

TEST_P(OptionsCases, ReadsTheCommandLine)
{
    const VantsvcOptions options = VantsvcOptions::parse(GetParam().arguments);
    EXPECT_EQ(options.error, GetParam().error);
    EXPECT_EQ(options.standalone, GetParam().standalone);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsCases,
    testing::Values(
        OptionsCase {"Engine", {"svrport=0"}, "", false},
        OptionsCase {"Standalone", {"--port", "8080", "--publish", "/tmp", "--publish", "/"}, "", true},
        OptionsCase {"PortMissing", {"--publish", "/tmp"}, "--port is missing", true},
        OptionsCase {"FolderMissing", {"--port", "1"}, "no folder to publish: give --publish DIR", true},
        OptionsCase {"PortTooLarge", {"--port", "70000"}, "the port must be a number from 0 to 65535: 70000", true},
        OptionsCase {"PortWord", {"--port", "http"}, "the port must be a number from 0 to 65535: http", true},
        OptionsCase {
            "NotAFolder", {"--port", "1", "--publish", "/no/such/folder"}, "not a folder: /no/such/folder", true},
        OptionsCase {"BindNotIpv4",
                     {"--port", "1", "--publish", "/tmp", "--bind", "localhost"},
                     "not an IPv4 address: localhost",
                     true},
        OptionsCase {"ValueMissing", {"--port"}, "--port needs a value", false},
        OptionsCase {"Unknown", {"--verbose"}, "unknown argument: --verbose", false}),
    CaseName());

TEST(VantsvcOptions, KeepsTheFoldersInOrder)
{
    const VantsvcOptions options = VantsvcOptions::parse(
        {"--port", "0", "--publish", "/tmp", "--publish", "/", "--bind", "127.0.0.1"});
    EXPECT_EQ(options.folders, (std::vector<std::string> {"/tmp", "/"}));
    EXPECT_EQ(options.bindAddress, "127.0.0.1");
    EXPECT_EQ(options.port, 0);
}

} // namespace
