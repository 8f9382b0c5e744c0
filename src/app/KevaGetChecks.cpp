#include "app/KevaGetChecks.h"

#include "core/NetworkName.h"
#include "core/SplitUrl.h"

#include <QDir>
#include <QFileInfo>

namespace KevaGetChecks {

QString urlProblem(const QString& url)
{
    if (!HasDownloadScheme(url))
        return QStringLiteral("Invalid URL: %1 (only http://, https:// and ftp:// addresses can be fetched)").arg(url);
    if (!HasValidHost(url))
        return QStringLiteral("Invalid URL: %1 (it names no valid host)").arg(url);
    return {};
}

QString defaultSavePath(const QString& url)
{
    return QDir::current().filePath(NetworkName::fileNameOf(url));
}

QString targetProblem(const QString& savePath, bool choiceGiven)
{
    if (QFileInfo::exists(savePath) && !choiceGiven)
        return QStringLiteral("%1 exists; use -c to resume it or -f to overwrite it.").arg(savePath);
    if (!QFileInfo(QFileInfo(savePath).absolutePath()).isDir())
        return QStringLiteral("the folder of %1 does not exist.").arg(savePath);
    return {};
}

} // namespace KevaGetChecks
