#pragma once

#include "platform/ProgramFolder.h"
#include "platform/WindowMessage.h"

#include <QtGlobal>

#include <cstdint>
#include <functional>

class LogForwarder;
class SiteService;

// The engine side of Vantrel's control messages, received by the window
// "VantrelrDialog": start (1324, wParam the port) serves the folders of
// vantrel.lst, stop (1424) stops serving, quit (1325) stops and ends the
// engine. What happens is logged through the forwarder.
class VantsvcEngine {
public:
    static constexpr const char* kCaption = "VantrelrDialog";
    static constexpr std::uint32_t kStart = 1324;
    static constexpr std::uint32_t kStop = 1424;
    static constexpr std::uint32_t kQuit = 1325;

    VantsvcEngine(ProgramFolder folder, SiteService& service, LogForwarder& log, std::function<void()> quit);

    // 1 when the command was carried out, 0 otherwise.
    qint64 handle(const WindowMessage& message);

private:
    bool start(std::int64_t port);
    void log(const QString& line);

    ProgramFolder folder_;
    SiteService& service_;
    LogForwarder& log_;
    std::function<void()> quit_;
};
