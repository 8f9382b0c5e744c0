#pragma once

#include "fileshare/http/ClientRequest.h"
#include "fileshare/http/HttpResponse.h"
#include "fileshare/http/PublishedFolder.h"
#include "platform/UniqueFd.h"

#include <ctime>
#include <sys/stat.h>
#include <string>
#include <string_view>
#include <vector>

class ContentTypeLookup;
class ResponseHead;

// The site's answers: files, listings, redirects, 304, partial content and
// the error pages, for the folders published when it was made.
//
// Every file is opened beneath its published folder by the kernel
// (openat2 with RESOLVE_BENEATH), so neither ".." nor a symbolic link can
// lead a request out of it. Only GET and HEAD are answered; nothing a client
// sends changes a file. When no descriptor is left to open what a request
// names, the answer is 503 with Retry-After, never 404.
class SiteResponder {
public:
    static constexpr std::string_view kServerName = "Vantrel /2.0";

    SiteResponder(const std::vector<PublishedFolder>& folders, ContentTypeLookup& types);

    HttpResponse respond(const ClientRequest& request, std::time_t now) const;
    // The answer to a request that could not be read: 400 or the like.
    HttpResponse error(int code, int version, bool keepAlive, bool withBody, std::time_t now) const;

    // The folders that could not be opened (they answer 404).
    const std::vector<std::string>& unreadableFolders() const { return unreadable_; }

private:
    struct Site {
        PublishedFolder folder;
        UniqueFd root;
    };
    struct Target {
        const Site* site = nullptr;
        std::string relative;    // beneath the site's folder; "." for the folder itself
        bool namesAlias = false; // "/dir2" without its trailing "/"
    };
    // A decoded path, located and opened.
    struct Opened {
        std::string path;
        Target target;
        UniqueFd file;
        int error = 0; // errno of the failed open
    };

    Target locate(std::string_view path) const;
    Opened open(std::string path) const;
    HttpResponse folderAnswer(const ClientRequest& request, const Target& target, UniqueFd folder,
                              const std::string& path, std::time_t now) const;
    HttpResponse fileAnswer(const ClientRequest& request, UniqueFd file, const struct stat& info, std::string_view path,
                            std::time_t now) const;
    HttpResponse page(int code, const ClientRequest& request, std::string_view extraName, std::string_view extraValue,
                      std::time_t now) const;
    // 503: out of descriptors, ask again later.
    HttpResponse busy(const ClientRequest& request, std::time_t now) const;
    // Every answer is made here from its head and body: the head is left out
    // for HTTP/0.9, the body for HEAD, and the connection stays open when the
    // client asked for that.
    static HttpResponse answer(const ClientRequest& request, ResponseHead& head, std::string body = {});

    std::vector<Site> sites_;
    std::vector<std::string> unreadable_;
    ContentTypeLookup& types_;
};
