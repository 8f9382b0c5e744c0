#pragma once

#include <optional>
#include <string>

// The site's built-in pages, HTML with CR LF line ends.
class ErrorPage {
public:
    // The page of an error or redirect code (301, 400, 401, 404, 500, 501);
    // nothing for a code without one.
    static std::optional<std::string> forCode(int code);
    // "Delete Successful", kept for deletes by logged-in users.
    static std::string deleteDone();
};
