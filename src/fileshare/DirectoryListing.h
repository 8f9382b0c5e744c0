#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// The page that answers a request for a folder: one table row per entry, in
// the order the file system returns them. Names are HTML-escaped in the text
// and percent-encoded in the links, where blanks are written "-_-".
class DirectoryListing {
public:
    struct Page {
        std::string html;
        // The newest last-write time among the entries; none for an empty folder.
        std::optional<std::time_t> newest;
    };

    // `folder` is an open descriptor of the folder (it is not consumed);
    // `urlPath` the decoded URL path, ending in "/". Nothing when the folder
    // cannot be read.
    static std::optional<Page> build(int folder, std::string_view urlPath);

private:
    class Row;
};
