#include "fileshare/DirectoryListing.h"

#include "fileshare/HttpText.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void replaceAll(std::string& text, std::string_view what, std::string_view with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

} // namespace

std::string DirectoryListing::row(std::string_view urlPath, std::string_view name, std::uint64_t size,
                                  std::time_t written)
{
    std::tm utc {};
    gmtime_r(&written, &utc);
    char date[64];
    char time[64];
    // The system's short date format is wanted here, two-digit years and all.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-y2k"
    if (std::strftime(date, sizeof date, "%x", &utc) == 0)
        date[0] = '\0';
#pragma GCC diagnostic pop
    if (std::strftime(time, sizeof time, "%X", &utc) == 0)
        time[0] = '\0';

    std::string text = "<tr>\r\n<td><a href=";
    text += HttpText::linkPath(urlPath);
    text += HttpText::linkPath(name);
    text += '>';
    text += HttpText::htmlEscape(name);
    text += "</a></td><td>";
    text += std::to_string((size + 1023) / 1024);
    text += "KB</td><td>";
    text += date;
    text += "</td><td>";
    text += time;
    text += "</td>\r\n</tr>";
    return text;
}

std::optional<DirectoryListing::Page> DirectoryListing::build(int folder, std::string_view urlPath)
{
    const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0)
        return std::nullopt;
    DIR* directory = ::fdopendir(own);
    if (!directory) {
        ::close(own);
        return std::nullopt;
    }

    Page page;
    page.html = "<html>\n<head>\n<title>Directory Listing for %1</title>\n</head>\n \n<body><h2>Directory Listing "
                "for %1</h2>\n\n<hr><form method=\"POST\" action=\"UPLOADFORM\"><table>\r\n";
    replaceAll(page.html, "%1", HttpText::htmlEscape(urlPath));
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info {};
        // A link is shown as itself: what it points to may lie outside the folder.
        if (::fstatat(own, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            info = {};
        const std::uint64_t size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
        page.html += row(urlPath, name, size, info.st_mtime);
        if (!page.newest || info.st_mtime > *page.newest)
            page.newest = info.st_mtime;
    }
    ::closedir(directory);
    page.html += "</table>\r\n</form><hr>\n</body>\n\n</html>";
    return page;
}
