#include "fileshare/http/ErrorPage.h"

namespace {

std::string page(const char* title, const char* heading, const char* paragraph)
{
    std::string text = "<html>\r\n<head>\r\n<title>";
    text += title;
    text += "</title>\r\n</head>\r\n<body>\r\n<h2>";
    text += heading;
    text += "</h2>\r\n<p>";
    text += paragraph;
    text += "</p>\r\n</body>\r\n</html>\r\n";
    return text;
}

} // namespace

std::optional<std::string> ErrorPage::forCode(int code)
{
    switch (code) {
    case 301: return page("HTTP Code 301", "File Moved", "The file you are looking for has moved.");
    case 400:
        return page("Error 400 - Bad Request", "Error 400 - Bad Request",
                    "The server could not understand the request.");
    case 401:
        return page("Error 401 - Unauthorized", "Error 401 - Unauthorized",
                    "You are not allowed to read the requested file.");
    case 404:
        return page("Error 404 - File Not Found", "Error 404 - File Not Found",
                    "The requested file was not found on this server. Check the address and try again.");
    case 500:
        return page("Error 500 - Internal Server Error", "Error 500 - Internal Server Error",
                    "The server could not answer the request.");
    case 501:
        return page("Error 501 - Method Not Supported", "Error 501 - Method Not Supported",
                    "This server answers GET and HEAD requests only.");
    default: return std::nullopt;
    }
}

std::string ErrorPage::deleteDone()
{
    return page("Delete Successful", "Delete Successful", "The specified file has been deleted successfully.");
}
