#include "support/TinyproxyServer.h"

#include <QFile>

#include <unistd.h>

TinyproxyServer::TinyproxyServer()
    : ProxyPeerServer(QStringLiteral("/usr/bin/tinyproxy"), QStringLiteral("tinyproxy"))
{
}

void TinyproxyServer::requireLogin(const QString& user, const QString& password)
{
    login_ = QStringLiteral("BasicAuth %1 %2\n").arg(user, password);
}

QString TinyproxyServer::log() const
{
    QFile file(filePath(QStringLiteral("tinyproxy.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList TinyproxyServer::prepare(quint16 port)
{
    // Started as root it would change to a user of its own, who may not
    // write the test's folder; it stays root instead.
    const QString user = geteuid() == 0 ? QStringLiteral("User root\nGroup root\n") : QString();
    const QString configuration = QStringLiteral("%1Port %2\nListen 127.0.0.1\nTimeout 60\nLogFile \"%3\"\n"
                                                 "LogLevel Info\nPidFile \"%4\"\nMaxClients 50\nAllow 127.0.0.1\n"
                                                 "ViaProxyName \"tinyproxy\"\n%5")
                                      .arg(user)
                                      .arg(port)
                                      .arg(filePath(QStringLiteral("tinyproxy.log")),
                                           filePath(QStringLiteral("tinyproxy.pid")), login_);
    return {QStringLiteral("-d"), QStringLiteral("-c"), writeFile(QStringLiteral("tinyproxy.conf"), configuration)};
}
