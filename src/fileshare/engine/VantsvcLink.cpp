#include "fileshare/engine/VantsvcLink.h"

#include "fileshare/engine/VantsvcEngine.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessageSender.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <csignal>

VantsvcLink::VantsvcLink(QString enginePath)
    : enginePath_(std::move(enginePath))
{
}

bool VantsvcLink::exists()
{
    return WindowDirectory::findWindow(VantsvcEngine::kCaption, WindowDirectory::Match::Exact).has_value();
}

bool VantsvcLink::findOrStart()
{
    if (exists())
        return true;
    qint64 pid = 0;
    if (!QProcess::startDetached(enginePath_, {QStringLiteral("svrport=0")}, QString(), &pid))
        return false;
    // The engine needs a moment to register its window; stop waiting early
    // when it has already ended.
    const QDeadlineTimer deadline(kStartWaitMs);
    while (!deadline.hasExpired()) {
        if (exists())
            return true;
        if (::kill(static_cast<pid_t>(pid), 0) != 0)
            return exists();
        QThread::msleep(5);
    }
    return false;
}

std::optional<std::int64_t> VantsvcLink::send(std::uint32_t message, std::int64_t wParam)
{
    const auto window = WindowDirectory::findWindow(VantsvcEngine::kCaption, WindowDirectory::Match::Exact);
    if (!window)
        return std::nullopt;
    return WindowMessageSender::send(*window, message, wParam, std::string());
}
