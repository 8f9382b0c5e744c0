#include "fileshare/state/SitePage.h"

#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

QByteArray SitePage::html(const QStringList& addresses, int port)
{
    QString text = QStringLiteral("<html>\n<head>\n<title>URL for your site.</title>\n</head>\n \n<body><h2>URL for "
                                  "your Vantrel site.</h2>\n\n<hr>");
    for (const QString& address : addresses.mid(0, kMaxAddresses))
        text += QStringLiteral("<p><a href=http://%1:%2>http://%1:%2 </a></p>\n").arg(address).arg(port);
    text += QStringLiteral("<hr>\n</body>\n\n</html>");
    return text.toUtf8();
}

QStringList SitePage::localAddresses()
{
    QStringList addresses;
    QStringList loopback;
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return addresses;
    for (const ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP))
            continue;
        sockaddr_in address {};
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        const quint32 host = ntohl(address.sin_addr.s_addr);
        const QString text = QStringLiteral("%1.%2.%3.%4")
                                 .arg(host >> 24)
                                 .arg((host >> 16) & 0xFF)
                                 .arg((host >> 8) & 0xFF)
                                 .arg(host & 0xFF);
        ((entry->ifa_flags & IFF_LOOPBACK) ? loopback : addresses).append(text);
    }
    ::freeifaddrs(interfaces);
    return (addresses.isEmpty() ? loopback : addresses).mid(0, kMaxAddresses);
}
