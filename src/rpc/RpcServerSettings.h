#pragma once

#include <QString>
#include <QStringList>

// Where the remote-control port listens and whom it lets in.
struct RpcServerSettings {
    QString address = QStringLiteral("127.0.0.1");
    quint16 port = 6800; // 0: any free port (tests)
    // What every call carries as "token:SECRET".
    QString secret;
    // Web pages (their Origin, "https://host[:port]") that may call; none by default.
    QStringList allowedOrigins;

    bool operator==(const RpcServerSettings&) const = default;
};
