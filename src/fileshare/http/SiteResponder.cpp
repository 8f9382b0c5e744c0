#include "fileshare/http/SiteResponder.h"

#include "fileshare/http/ContentTypeLookup.h"
#include "fileshare/http/DirectoryListing.h"
#include "fileshare/http/ErrorPage.h"
#include "fileshare/http/HttpDate.h"
#include "fileshare/http/HttpText.h"
#include "fileshare/http/ResponseHead.h"
#include "fileshare/http/UrlPath.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr std::string_view kHtml = "text/html";
// Listings carry file names as they are on disk, which are UTF-8.
constexpr std::string_view kListingType = "text/html; charset=utf-8";
// When a client may ask again after a 503.
constexpr std::string_view kRetryAfterSeconds = "5";

// The process or the system has no descriptor left: what was asked for may
// well exist, and a later request may get it.
bool outOfDescriptors(int error)
{
    return error == EMFILE || error == ENFILE;
}

// Opens `relative` beneath the folder `root`; -1 with errno set on failure.
// The kernel refuses any step out of the folder, through ".." or a link.
int openBeneath(int root, const std::string& relative, int flags)
{
    open_how how {};
    // openat2 refuses O_PATH with any flag but O_CLOEXEC, O_DIRECTORY and O_NOFOLLOW.
    how.flags = static_cast<std::uint64_t>(flags) | O_CLOEXEC | ((flags & O_PATH) ? 0 : O_NOCTTY);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    for (;;) {
        const long fd = ::syscall(SYS_openat2, root, relative.c_str(), &how, sizeof how);
        if (fd >= 0 || errno != EINTR)
            return static_cast<int>(fd);
    }
}

} // namespace

SiteResponder::SiteResponder(const std::vector<PublishedFolder>& folders, ContentTypeLookup& types)
    : types_(types)
{
    for (const PublishedFolder& folder : folders) {
        UniqueFd root(::open(folder.path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!root.valid())
            unreadable_.push_back(folder.path);
        sites_.push_back(Site {folder, std::move(root)});
    }
}

SiteResponder::Target SiteResponder::locate(std::string_view path) const
{
    Target target;
    const std::size_t slash = path.find('/', 1);
    const std::string_view first = path.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1);
    for (const Site& site : sites_) {
        if (site.folder.alias != "/" && HttpText::equalsNoCase(first, site.folder.alias)) {
            target.site = &site;
            target.namesAlias = slash == std::string_view::npos;
            target.relative = target.namesAlias ? std::string() : std::string(path.substr(slash + 1));
            break;
        }
    }
    if (!target.site) {
        for (const Site& site : sites_) {
            if (site.folder.alias == "/") {
                target.site = &site;
                target.relative = std::string(path.substr(1));
            }
        }
    }
    if (target.relative.empty())
        target.relative.push_back('.');
    return target;
}

SiteResponder::Opened SiteResponder::open(std::string path) const
{
    Opened opened;
    opened.target = locate(path);
    opened.path = std::move(path);
    const Site* site = opened.target.site;
    if (!site || !site->root.valid()) {
        opened.error = ENOENT;
        return opened;
    }
    opened.file = UniqueFd(openBeneath(site->root.get(), opened.target.relative, O_RDONLY | O_NONBLOCK));
    if (!opened.file.valid())
        opened.error = errno;
    return opened;
}

HttpResponse SiteResponder::respond(const ClientRequest& request, std::time_t now) const
{
    if (request.method != "GET" && request.method != "HEAD")
        return error(501, request.version, false, true, now);
    UrlPath::Result decoded = UrlPath::decode(request.target);
    if (decoded.verdict == UrlPath::Verdict::Malformed)
        return error(400, request.version, false, request.method != "HEAD", now);
    if (decoded.verdict == UrlPath::Verdict::Refused)
        return page(404, request, {}, {}, now);

    // A name is served as it stands first: "x-_-y.txt" may be a real file.
    // Only a path not found that way is read with "-_-" as blanks, the way
    // links of earlier listings wrote them.
    const auto missing = [](int error) { return error == ENOENT || error == ENOTDIR; };
    Opened opened = open(std::move(decoded.path));
    if (missing(opened.error) && !decoded.blankPath.empty()) {
        Opened blank = open(std::move(decoded.blankPath));
        if (!missing(blank.error))
            opened = std::move(blank);
    }
    const Target& target = opened.target;
    const std::string& path = opened.path;
    if (!opened.file.valid()) {
        if (outOfDescriptors(opened.error))
            return busy(request, now);
        if (opened.error != EACCES)
            return page(404, request, {}, {}, now);
        // Read access denied: a file asks for a login; a folder is still
        // redirected or listed, from a descriptor that only names it (a
        // listing that cannot be read is then an error of the server).
        struct stat info { };
        UniqueFd probe(openBeneath(target.site->root.get(), target.relative, O_PATH));
        if (!probe.valid() && outOfDescriptors(errno))
            return busy(request, now);
        if (!probe.valid() || ::fstat(probe.get(), &info) != 0)
            return page(404, request, {}, {}, now);
        if (!S_ISDIR(info.st_mode))
            return page(401, request, "WWW-Authenticate", std::string("Basic realm=").append(path), now);
        opened.file = std::move(probe);
    }
    struct stat info { };
    if (::fstat(opened.file.get(), &info) != 0)
        return page(404, request, {}, {}, now);
    if (S_ISDIR(info.st_mode)) {
        if (target.namesAlias)
            return page(301, request, "Location", HttpText::linkPath(path) + "/", now);
        return folderAnswer(request, target, std::move(opened.file), path, now);
    }
    if (!S_ISREG(info.st_mode))
        return page(404, request, {}, {}, now);
    return fileAnswer(request, std::move(opened.file), info, path, now);
}

HttpResponse SiteResponder::folderAnswer(const ClientRequest& request, const Target& target, UniqueFd folder,
                                         const std::string& path, std::time_t now) const
{
    const Site& site = *target.site;
    if (!site.folder.listingAllowed) {
        UniqueFd document(openBeneath(folder.get(), site.folder.defaultDocument, O_RDONLY | O_NONBLOCK));
        if (!document.valid() && outOfDescriptors(errno))
            return busy(request, now);
        struct stat info { };
        if (!document.valid() || ::fstat(document.get(), &info) != 0 || !S_ISREG(info.st_mode))
            return page(404, request, {}, {}, now);
        return fileAnswer(request, std::move(document), info, site.folder.defaultDocument, now);
    }
    if (path.back() != '/')
        return page(301, request, "Location", HttpText::linkPath(path) + "/", now);

    // A link in the folder is listed as what a request for it is answered
    // with: resolved beneath the published folder, as requests are. A link
    // that could not be followed for want of a descriptor is not left out:
    // the whole listing waits for a later request.
    const std::string beneath = target.relative == "." ? std::string() : target.relative;
    bool descriptorsRanOut = false;
    const auto servedLink = [&site, &beneath, &descriptorsRanOut ](const char* name) -> std::optional<struct stat>
    {
        UniqueFd linked(openBeneath(site.root.get(), beneath + name, O_PATH));
        struct stat info { };
        if (!linked.valid())
            descriptorsRanOut = descriptorsRanOut || outOfDescriptors(errno);
        if (!linked.valid() || ::fstat(linked.get(), &info) != 0)
            return std::nullopt;
        return info;
    };
    std::optional<DirectoryListing::Page> listing = DirectoryListing::build(folder.get(), path, servedLink);
    if ((!listing && outOfDescriptors(errno)) || descriptorsRanOut)
        return busy(request, now);
    if (!listing)
        return page(500, request, {}, {}, now);
    ResponseHead head(200, now, kServerName);
    if (listing->newest)
        head.add("Last-Modified", HttpDate::format(*listing->newest));
    head.addLength(listing->html.size()).add("Content-Type", kListingType);
    return answer(request, head, std::move(listing->html));
}

HttpResponse SiteResponder::fileAnswer(const ClientRequest& request, UniqueFd file, const struct stat& info,
                                       std::string_view path, std::time_t now) const
{
    const std::time_t written = std::min(info.st_mtime, now);
    const auto size = static_cast<std::uint64_t>(info.st_size);
    const bool get = request.method == "GET";

    if (get && request.ifModifiedSince && written <= *request.ifModifiedSince) {
        ResponseHead head(304, now, kServerName);
        head.add("Last-Modified", HttpDate::format(written)).addLength(0).add("Content-Type", kHtml);
        return answer(request, head);
    }

    std::uint64_t first = 0;
    std::uint64_t length = size;
    int code = 200;
    std::string contentRange;
    if (request.range && request.version >= 10) {
        const auto span = request.range->resolve(size);
        if (!span) {
            ResponseHead head(416, now, kServerName);
            head.addLength(0)
                .add("Content-Range", std::string("bytes */").append(std::to_string(size)))
                .add("Content-Type", kHtml);
            return answer(request, head);
        }
        code = 206;
        first = span->first;
        length = span->last - span->first + 1;
        contentRange = std::string("bytes ")
                           .append(std::to_string(span->first))
                           .append("-")
                           .append(std::to_string(span->last))
                           .append("/")
                           .append(std::to_string(size));
    }

    ResponseHead head(code, now, kServerName);
    head.add("Last-Modified", HttpDate::format(written)).addLength(length);
    if (code == 206)
        head.add("Content-Range", contentRange);
    head.add("Content-Type", types_.lookup(ContentTypeLookup::extensionOf(path)));
    HttpResponse response = answer(request, head);
    if (get && length > 0) {
        response.file = std::move(file);
        response.fileOffset = first;
        response.fileLength = length;
    }
    return response;
}

HttpResponse SiteResponder::page(int code, const ClientRequest& request, std::string_view extraName,
                                 std::string_view extraValue, std::time_t now) const
{
    std::string body = ErrorPage::forCode(code).value_or(std::string());
    ResponseHead head(code, now, kServerName);
    if (!extraName.empty())
        head.add(extraName, extraValue);
    head.addLength(body.size()).add("Content-Type", kHtml);
    return answer(request, head, std::move(body));
}

HttpResponse SiteResponder::busy(const ClientRequest& request, std::time_t now) const
{
    return page(503, request, "Retry-After", kRetryAfterSeconds, now);
}

HttpResponse SiteResponder::error(int code, int version, bool keepAlive, bool withBody, std::time_t now) const
{
    ClientRequest request;
    request.method = withBody ? "GET" : "HEAD";
    request.version = version;
    request.keepAlive = keepAlive;
    return page(code, request, {}, {}, now);
}

HttpResponse SiteResponder::answer(const ClientRequest& request, ResponseHead& head, std::string body)
{
    HttpResponse response;
    response.status = head.code();
    // An HTTP/0.9 answer ends with the connection: it has no length to tell.
    response.keepAlive = request.keepAlive && request.version >= 10;
    std::string text = head.finish(request.version, response.keepAlive);
    // HTTP/0.9 knows no status line and no headers: only the body goes out.
    if (request.version >= 10)
        response.head = std::move(text);
    if (request.method != "HEAD")
        response.body = std::move(body);
    return response;
}
