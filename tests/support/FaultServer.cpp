#include "support/FaultServer.h"

#include <QDir>

FaultServer::FaultServer(QString documentRoot)
    : PeerServer(QStringLiteral("/usr/bin/python3"), QStringLiteral("python3"))
    , documentRoot_(QDir(documentRoot).absolutePath())
{
}

QStringList FaultServer::prepare(quint16 port)
{
    return {QStringLiteral(KEVA_FAULT_SERVER_SCRIPT),
            QStringLiteral("--root"),
            documentRoot_,
            QStringLiteral("--log"),
            accessLogPath(),
            QStringLiteral("--port"),
            QString::number(port)};
}
