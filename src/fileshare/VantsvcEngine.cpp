#include "fileshare/VantsvcEngine.h"

#include "fileshare/LengthPrefixedFile.h"
#include "fileshare/LogForwarder.h"
#include "fileshare/PortText.h"
#include "fileshare/PublishedFolderList.h"
#include "fileshare/SiteService.h"

#include <QFile>

VantsvcEngine::VantsvcEngine(ProgramFolder folder, SiteService& service, LogForwarder& log, std::function<void()> quit)
    : folder_(std::move(folder))
    , service_(service)
    , log_(log)
    , quit_(std::move(quit))
{
}

qint64 VantsvcEngine::handle(const WindowMessage& message)
{
    switch (message.message) {
    case kStart: return start(message.wParam) ? 1 : 0;
    case kStop:
        if (service_.running()) {
            service_.stop();
            log(QStringLiteral("Server stopped."));
        }
        return 1;
    case kQuit:
        service_.stop();
        if (quit_)
            quit_();
        return 1;
    default: return 0;
    }
}

bool VantsvcEngine::start(std::int64_t port)
{
    if (port < 1 || port > 65535) {
        // Without a port in the message, the one Vantrel saved.
        const auto saved = LengthPrefixedFile::read(folder_.file(QStringLiteral("vantrel.por")));
        port = saved ? PortText::parse(QString::fromUtf8(*saved)) : 0;
    }
    if (port < 1 || port > 65535) {
        log(QStringLiteral("Can not start the server: no valid port."));
        return false;
    }
    PublishedFolderList folders;
    folders.load(folder_.file(QStringLiteral("vantrel.lst")));
    if (folders.count() == 0)
        log(QStringLiteral("No directory is distributed: the site is empty."));

    std::error_code error;
    if (!service_.start(folders.toSite(), "0.0.0.0", static_cast<std::uint16_t>(port), error)) {
        log(QStringLiteral("Can not start the server on port %1: %2").arg(port).arg(QString::fromStdString(error.message())));
        return false;
    }
    for (const std::string& unreadable : service_.unreadableFolders())
        log(QStringLiteral("Can not read the directory %1").arg(QFile::decodeName(unreadable.c_str())));
    log(QStringLiteral("Server started on port %1.").arg(port));
    return true;
}

void VantsvcEngine::log(const QString& line)
{
    log_.post((line + QStringLiteral("\r\n")).toStdString());
}
