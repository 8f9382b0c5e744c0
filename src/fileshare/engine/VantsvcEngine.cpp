#include "fileshare/engine/VantsvcEngine.h"

#include "fileshare/engine/LengthPrefixedFile.h"
#include "fileshare/engine/LogForwarder.h"
#include "fileshare/engine/PortText.h"
#include "fileshare/engine/PublishedFolderList.h"
#include "fileshare/http/SiteService.h"

#include <QFile>

#include <system_error>

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
    case kStart: return start(message.wParam);
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

QString VantsvcEngine::startFailureText(std::int64_t port, qint64 answer)
{
    if (answer >= 0)
        return QStringLiteral("Can not start the server on port %1.").arg(port);
    const std::string reason = std::generic_category().message(static_cast<int>(-answer));
    return QStringLiteral("Can not start the server on port %1: %2").arg(port).arg(QString::fromStdString(reason));
}

qint64 VantsvcEngine::start(std::int64_t port)
{
    if (port < 1 || port > 65535) {
        // Without a port in the message, the one Vantrel saved.
        const auto saved = LengthPrefixedFile::read(folder_.file(QStringLiteral("vantrel.por")));
        port = saved ? PortText::parse(QString::fromUtf8(*saved)) : 0;
    }
    if (port < 1 || port > 65535) {
        service_.stop();
        log(QStringLiteral("Can not start the server: no valid port."));
        return 0;
    }
    PublishedFolderList folders;
    folders.load(folder_.file(QStringLiteral("vantrel.lst")));
    if (folders.count() == 0)
        log(QStringLiteral("No directory is distributed: the site is empty."));

    std::error_code error;
    if (!service_.start(folders.toSite(), "0.0.0.0", static_cast<std::uint16_t>(port), error)) {
        const qint64 answer = -error.value();
        log(startFailureText(port, answer));
        return answer;
    }
    for (const std::string& unreadable : service_.unreadableFolders())
        log(QStringLiteral("Can not read the directory %1").arg(QFile::decodeName(unreadable.c_str())));
    log(QStringLiteral("Server started on port %1.").arg(port));
    return kStarted;
}

void VantsvcEngine::log(const QString& line)
{
    log_.post((line + QStringLiteral("\r\n")).toStdString());
}
