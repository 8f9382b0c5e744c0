#pragma once

#include "platform/ProgramFolder.h"
#include "platform/WindowMessage.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>

class LogForwarder;
class SiteService;

// The engine side of Vantrel's control messages, received by the window
// "VantrelrDialog": start (1324, wParam the port) serves the folders of
// vantrel.lst, stop (1424) stops serving, quit (1325) stops and ends the
// engine. What happens is logged through the forwarder.
//
// The answer to start tells Vantrel whether the site is served: kStarted;
// minus the system's error number when the port cannot be listened on (in
// use, not allowed); 0 when no valid port was given. Any earlier run has
// been stopped either way.
class VantsvcEngine {
public:
    static constexpr const char* kCaption = "VantrelrDialog";
    static constexpr std::uint32_t kStart = 1324;
    static constexpr std::uint32_t kStop = 1424;
    static constexpr std::uint32_t kQuit = 1325;
    // The answer to start when the site is served.
    static constexpr qint64 kStarted = 1;

    VantsvcEngine(ProgramFolder folder, SiteService& service, LogForwarder& log, std::function<void()> quit);

    // The answer to start as above; for the other commands 1 when carried
    // out, 0 otherwise.
    qint64 handle(const WindowMessage& message);

    // Why the server could not start on `port`, from a failed answer to start.
    static QString startFailureText(std::int64_t port, qint64 answer);

private:
    qint64 start(std::int64_t port);
    void log(const QString& line);

    ProgramFolder folder_;
    SiteService& service_;
    LogForwarder& log_;
    std::function<void()> quit_;
};
