#include "PeerTool.h"

#include <QStandardPaths>

QString PeerTool::find(const QString& program)
{
    return QStandardPaths::findExecutable(program);
}

bool PeerTool::inCi()
{
    return qEnvironmentVariable("CI") == QStringLiteral("true");
}

std::string PeerTool::missingMessage(const QString& program, const QString& package)
{
    return QStringLiteral("%1 is not installed: install the Debian package %2 (apt-get install %2)")
        .arg(program, package)
        .toStdString();
}
