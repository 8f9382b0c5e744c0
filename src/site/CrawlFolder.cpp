#include "site/CrawlFolder.h"

#include <QDir>
#include <QFileInfo>

bool CrawlFolder::prepare(const QString& root, const QString& savePath)
{
    const QFileInfo file(savePath);
    const QString relative = QDir(root).relativeFilePath(file.absolutePath());
    if (relative.startsWith(QStringLiteral("..")) || QDir::isAbsolutePath(relative))
        return false;
    QString folder = QDir::cleanPath(root);
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QStringLiteral("."))
            continue;
        folder += QLatin1Char('/') + part;
        const QFileInfo info(folder);
        if (info.isSymLink())
            return false;
        if (!info.exists() && !QDir().mkdir(folder))
            return false;
        if (info.exists() && !info.isDir())
            return false;
    }
    return !file.isSymLink();
}
