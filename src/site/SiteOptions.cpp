#include "site/SiteOptions.h"

#include <QStringList>

bool SiteOptions::follows(const QString& ext) const
{
    static const QStringList kImages = {QStringLiteral("gif"), QStringLiteral("jpeg")};
    static const QStringList kText = {QStringLiteral("txt"), QStringLiteral("htm"), QStringLiteral("html")};
    if (FileTypeAll)
        return true;
    if (FileTypeTxt && FileTypeGif)
        return kImages.contains(ext) || kText.contains(ext);
    if (FileTypeTxt)
        return !kImages.contains(ext);
    if (FileTypeGif)
        return !kText.contains(ext);
    return false;
}

int SiteOptions::pageLimit() const
{
    if (!FileNumNoFiles)
        return 0;
    bool ok = false;
    const int limit = FileNumNoNum.trimmed().toInt(&ok);
    // The dialog keeps the number between 1 and 99; a stored text that is
    // none counts as the dialog's default.
    return ok && limit >= 1 && limit <= 99 ? limit : 10;
}
