#include "support/LighttpdServer.h"

#include <QDir>

#include <csignal>

LighttpdServer::LighttpdServer(QString documentRoot)
    : PeerServer(QStringLiteral("/usr/sbin/lighttpd"), QStringLiteral("lighttpd"))
    , documentRoot_(QDir(documentRoot).absolutePath())
{
}

QStringList LighttpdServer::prepare(quint16 port)
{
    const QString configuration = QStringLiteral("server.document-root = \"%1\"\n"
                                                 "server.port = %2\n"
                                                 "server.bind = \"127.0.0.1\"\n"
                                                 "server.pid-file = \"%3\"\n"
                                                 "server.errorlog = \"%4\"\n"
                                                 "server.modules = (\"mod_accesslog\")\n"
                                                 "accesslog.filename = \"%5\"\n"
                                                 "accesslog.format = \"%r|%{Range}i|%{User-Agent}i|%>s|%b\"\n")
                                      .arg(documentRoot_)
                                      .arg(port)
                                      .arg(filePath(QStringLiteral("lighttpd.pid")), errorLogPath(), accessLogPath());
    return {QStringLiteral("-D"), QStringLiteral("-f"), writeFile(QStringLiteral("lighttpd.conf"), configuration)};
}

void LighttpdServer::flushAccessLog() const
{
    if (processId() > 0)
        ::kill(static_cast<pid_t>(processId()), SIGHUP);
}
