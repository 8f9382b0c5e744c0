#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What KEVA's command line says of the remote-control port for this run:
// --enable-rpc, --rpc-port P, --rpc-secret S (also written --name=value).
struct RpcCommandLine {
    bool enable = false;
    std::optional<quint16> port;
    QString secret;

    // Takes these options out of `arguments` (the program's own path first),
    // leaving the rest (a URL, /STARTUP) as it was; nothing, with the reason
    // in `problem`, for an option without its value or a bad port.
    static std::optional<RpcCommandLine> take(QStringList& arguments, QString& problem);
};
