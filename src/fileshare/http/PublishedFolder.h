#pragma once

#include <string>

// A published folder as the server sees it.
struct PublishedFolder {
    std::string path;
    // "/" for the first folder added, "dir2", "dir3" ... for the others.
    std::string alias;
    std::string defaultDocument = "default.htm";
    // Folders are listed; without listing a request for the folder gets its default document.
    bool listingAllowed = true;
};
