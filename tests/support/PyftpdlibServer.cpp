#include "support/PyftpdlibServer.h"

#include <QDir>
#include <QFileInfo>

PyftpdlibServer::PyftpdlibServer(QString documentRoot)
    : FtpPeerServer(QStringLiteral("/usr/bin/python3"), QStringLiteral("python3-pyftpdlib"))
    , documentRoot_(QDir(documentRoot).absolutePath())
{
}

void PyftpdlibServer::setUser(const QString& name, const QString& password)
{
    options_ << QStringLiteral("--user") << name + QLatin1Char(':') + password;
}

void PyftpdlibServer::setPassiveAddress(const QString& address)
{
    options_ << QStringLiteral("--pasv-address") << address;
}

void PyftpdlibServer::setRestReply(int code)
{
    options_ << QStringLiteral("--rest-reply") << QString::number(code);
}

void PyftpdlibServer::sendMultiLineReplies()
{
    options_ << QStringLiteral("--multi-line");
}

void PyftpdlibServer::coalesceReplies()
{
    options_ << QStringLiteral("--coalesce");
}

void PyftpdlibServer::slowPortReplies()
{
    options_ << QStringLiteral("--slow-port");
}

void PyftpdlibServer::listenOnIpv6()
{
    listenAddress_ = QHostAddress(QHostAddress::LocalHostIPv6);
    options_ << QStringLiteral("--listen") << listenAddress_.toString();
}

bool PyftpdlibServer::isInstalled() const
{
    return PeerServer::isInstalled()
        && QFileInfo::exists(QStringLiteral("/usr/lib/python3/dist-packages/pyftpdlib/__init__.py"));
}
QStringList PyftpdlibServer::prepare(quint16 port)
{
    return QStringList {QStringLiteral(KEVA_FTP_SERVER_SCRIPT),
                        QStringLiteral("--root"),
                        documentRoot_,
                        QStringLiteral("--log"),
                        accessLogPath(),
                        QStringLiteral("--port"),
                        QString::number(port)}
    + options_;
}
