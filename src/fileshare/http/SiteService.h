#pragma once

#include "fileshare/http/HttpServer.h"
#include "fileshare/http/PublishedFolder.h"
#include "fileshare/http/ServerLimits.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class ContentTypeLookup;
class SiteResponder;

// Serves a set of published folders on a port, in a thread of its own, until
// stopped; Vantsvc runs one, commanded by Vantrel or from its command line.
class SiteService {
public:
    SiteService(ContentTypeLookup& types, HttpServer::LogSink sink, ServerLimits limits = {});
    ~SiteService();
    SiteService(const SiteService&) = delete;
    SiteService& operator=(const SiteService&) = delete;

    // Stops any earlier run first. False, with the reason, when the port
    // cannot be listened on.
    bool start(const std::vector<PublishedFolder>& folders, const std::string& address, std::uint16_t port,
               std::error_code& error);
    void stop();

    bool running() const { return server_ != nullptr; }
    std::uint16_t port() const { return server_ ? server_->port() : 0; }
    // Folders of the current run that could not be opened.
    std::vector<std::string> unreadableFolders() const;

private:
    ContentTypeLookup& types_;
    HttpServer::LogSink sink_;
    ServerLimits limits_;
    std::unique_ptr<SiteResponder> responder_;
    std::unique_ptr<HttpServer> server_;
    std::thread thread_;
};
