#pragma once

#include <QByteArray>
#include <QString>

// The proxy a request goes through: its host and port, and the value of the
// Proxy-Authorization header that goes to the proxy alone (empty for none).
struct ProxyRoute {
    QString host;
    int port = 0;
    QByteArray authorization;
};
