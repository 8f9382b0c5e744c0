#include "fileshare/http/SiteService.h"

#include "fileshare/http/SiteResponder.h"

SiteService::SiteService(ContentTypeLookup& types, HttpServer::LogSink sink, ServerLimits limits)
    : types_(types)
    , sink_(std::move(sink))
    , limits_(limits)
{
}

SiteService::~SiteService()
{
    stop();
}

bool SiteService::start(const std::vector<PublishedFolder>& folders, const std::string& address, std::uint16_t port,
                        std::error_code& error)
{
    stop();
    auto responder = std::make_unique<SiteResponder>(folders, types_);
    auto server = std::make_unique<HttpServer>(*responder, sink_, limits_);
    if (!server->listen(address, port, error))
        return false;
    responder_ = std::move(responder);
    server_ = std::move(server);
    thread_ = std::thread([server = server_.get()] { server->run(); });
    return true;
}

void SiteService::stop()
{
    if (!server_)
        return;
    server_->stop();
    thread_.join();
    server_.reset();
    responder_.reset();
}

std::vector<std::string> SiteService::unreadableFolders() const
{
    return responder_ ? responder_->unreadableFolders() : std::vector<std::string>();
}
