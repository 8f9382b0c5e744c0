#include "fileshare/engine/VantsvcOptions.h"

#include "fileshare/http/HttpText.h"

#include <arpa/inet.h>
#include <sys/stat.h>

VantsvcOptions VantsvcOptions::parse(const std::vector<std::string>& arguments)
{
    VantsvcOptions options;
    bool portGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        }
        if (argument.rfind("svrport=", 0) == 0)
            continue; // the engine's start parameter
        if (argument == "--port" || argument == "--publish" || argument == "--bind") {
            if (!hasValue) {
                options.error = argument + " needs a value";
                return options;
            }
            const std::string& value = arguments[++i];
            options.standalone = true;
            if (argument == "--port") {
                const auto port = HttpText::parseUnsigned(value);
                if (!port || *port > 65535) {
                    options.error = "the port must be a number from 0 to 65535: " + value;
                    return options;
                }
                options.port = static_cast<std::uint16_t>(*port);
                portGiven = true;
            } else if (argument == "--publish") {
                struct stat info { };
                if (::stat(value.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
                    options.error = "not a folder: " + value;
                    return options;
                }
                options.folders.push_back(value);
            } else {
                in_addr address {};
                if (::inet_pton(AF_INET, value.c_str(), &address) != 1) {
                    options.error = "not an IPv4 address: " + value;
                    return options;
                }
                options.bindAddress = value;
            }
            continue;
        }
        options.error = "unknown argument: " + argument;
        return options;
    }
    if (options.standalone && !portGiven)
        options.error = "--port is missing";
    else if (options.standalone && options.folders.empty())
        options.error = "no folder to publish: give --publish DIR";
    return options;
}

const char* VantsvcOptions::usage()
{
    return "usage: Vantsvc --port P --publish DIR [--publish DIR ...] [--bind ADDRESS]\n"
           "       Vantsvc svrport=0   (the engine started by Vantrel)\n"
           "Serves the folders over HTTP until interrupted; the first folder is \"/\",\n"
           "the next \"/dir2/\", and so on. Port 0 picks a free port. The access log goes\n"
           "to standard output.\n";
}
