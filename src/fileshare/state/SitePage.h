#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The "URL for your site" page, vantrel.htm: one link per local address.
class SitePage {
public:
    static constexpr int kMaxAddresses = 20;

    static QByteArray html(const QStringList& addresses, int port);
    // The machine's IPv4 addresses, up to 20: those of the network
    // interfaces that are up, the loopback address only when there is no other.
    static QStringList localAddresses();
};
