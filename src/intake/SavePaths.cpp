#include "intake/SavePaths.h"

#include "core/NetworkName.h"

#include <QDir>
#include <QStandardPaths>

QString SavePaths::join(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    QString joined = folder;
    while (joined.size() > 1 && joined.endsWith(QLatin1Char('/')))
        joined.chop(1);
    QString rest = name;
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    return joined == QStringLiteral("/") ? joined + rest : joined + QLatin1Char('/') + rest;
}

QString SavePaths::folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString SavePaths::downloadFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return folder.isEmpty() ? QDir::homePath() : folder;
}

QString SavePaths::defaultPath(const QString& lastSavePath, const QString& fileName)
{
    const QString folder = folderOf(lastSavePath);
    return join(folder.isEmpty() || folder == QStringLiteral("/") ? downloadFolder() : folder, fileName);
}

QString SavePaths::fileNameFor(const QString& url, const BrowserSession& session)
{
    const QString given = session.fileName.section(QLatin1Char('/'), -1);
    if (given.isEmpty() || given == QStringLiteral(".") || given == QStringLiteral(".."))
        return NetworkName::fileNameOf(url);
    return given;
}
