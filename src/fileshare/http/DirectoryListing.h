#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

// The page that answers a request for a folder: one table row per entry that
// the site serves (files and folders), in the order the file system returns
// them. Names are HTML-escaped in the text and percent-encoded in the links.
class DirectoryListing {
public:
    // For a symbolic link in the folder, by its name: what a request for it
    // is served from, or nothing when it is not served (it leads nowhere, or
    // out of the published folder). Such links are left out of the page, so
    // that every link it offers can be followed.
    using LinkResolver = std::function<std::optional<struct stat>(const char* name)>;

    struct Page {
        std::string html;
        // The newest last-write time among the entries; none for an empty folder.
        std::optional<std::time_t> newest;
    };

    // `folder` is a descriptor of the folder, O_PATH will do (it is not consumed);
    // `urlPath` the decoded URL path, ending in "/". Nothing when the folder
    // cannot be read.
    static std::optional<Page> build(int folder, std::string_view urlPath, const LinkResolver& servedLink);

private:
    class Row;
};
