#include "platform/XdgFolders.h"

#include <QDir>

QString XdgFolders::configHome()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    return configHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : configHome;
}
