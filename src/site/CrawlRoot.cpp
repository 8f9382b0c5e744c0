#include "site/CrawlRoot.h"

#include <QDir>
#include <QFileInfo>

CrawlRoot CrawlRoot::of(const QString& startUrl, const QString& startSavePath)
{
    CrawlRoot root;
    root.base = QUrl(startUrl).adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment);
    root.folder = QDir::cleanPath(QFileInfo(startSavePath).absolutePath());
    return root;
}
