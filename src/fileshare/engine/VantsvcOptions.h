#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The command line of Vantsvc.
//
//   Vantsvc svrport=0
//       the engine Vantrel starts: it waits for Vantrel's messages
//   Vantsvc --port P --publish DIR [--publish DIR ...] [--bind ADDRESS]
//       serves the folders on its own until SIGINT or SIGTERM; the first
//       folder is "/", the next dir2, and so on
struct VantsvcOptions {
    bool standalone = false;
    std::uint16_t port = 0;
    std::string bindAddress = "0.0.0.0";
    std::vector<std::string> folders;
    bool help = false;
    // Set when the command line cannot be used; says what is wrong.
    std::string error;

    static VantsvcOptions parse(const std::vector<std::string>& arguments);
    static const char* usage();
};
