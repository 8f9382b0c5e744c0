#include "fileshare/http/DirectoryListing.h"

#include "fileshare/http/HttpText.h"

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

// Writes the rows of one page: the link, the name, the size in KB rounded up,
// the UTC date and time in the system's short formats. Entries of a folder
// often share their day and second, so the last texts made are kept.
class DirectoryListing::Row {
public:
    explicit Row(std::string_view urlPath)
        : link_(HttpText::linkPath(urlPath))
    {
    }

    void append(std::string& out, std::string_view name, std::uint64_t size, std::time_t written)
    {
        out += "<tr>\r\n<td><a href=";
        out += link_;
        out += HttpText::linkPath(name);
        out += '>';
        out += HttpText::htmlEscape(name);
        out += "</a></td><td>";
        out += std::to_string((size + 1023) / 1024);
        out += "KB</td><td>";
        out += dateAndTime(written);
        out += "</td>\r\n</tr>";
    }

private:
    const std::string& dateAndTime(std::time_t written)
    {
        if (written == lastWritten_ && !lastText_.empty())
            return lastText_;
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
        lastWritten_ = written;
        lastText_ = date;
        lastText_ += "</td><td>";
        lastText_ += time;
        return lastText_;
    }

    std::string link_;
    std::time_t lastWritten_ = 0;
    std::string lastText_;
};

std::optional<DirectoryListing::Page> DirectoryListing::build(int folder, std::string_view urlPath,
                                                              const LinkResolver& servedLink)
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
    Row row(urlPath);
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info { };
        if (::fstatat(own, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISLNK(info.st_mode)) {
            const std::optional<struct stat> served = servedLink(entry->d_name);
            if (!served)
                continue;
            info = *served;
        }
        // Pipes, sockets and devices are never served.
        if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
            continue;
        const std::uint64_t size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
        row.append(page.html, name, size, info.st_mtime);
        if (!page.newest || info.st_mtime > *page.newest)
            page.newest = info.st_mtime;
    }
    ::closedir(directory);
    page.html += "</table>\r\n</form><hr>\n</body>\n\n</html>";
    return page;
}
