#include "intake/SaveLocationRules.h"

#include "engine/DownloadWindows.h"
#include "intake/SavePaths.h"
#include "intake/UrlCutting.h"
#include "settings/KevaContext.h"

#include <QDir>

SaveLocationRules::SaveLocationRules(KevaContext& context, DownloadWindows& windows, std::function<QDate()> today)
    : context_(context)
    , windows_(windows)
    , today_(std::move(today))
{
}

QString SaveLocationRules::GetPathFromList(const QString& url) const
{
    const QList<FileTypeFolder>& table = context_.dialogSettings.lstFileType;
    if (table.isEmpty())
        return SavePaths::folderOf(SavePaths::defaultPath(context_.dialogSettings.lastSavePath, QStringLiteral("x")));
    const QString ext = GetExtensionName(GetFileName(url));
    for (const FileTypeFolder& row : table) {
        if (row.fileType == ext)
            return row.folder;
    }
    return table.last().folder;
}

void SaveLocationRules::apply(const QString& url, const BrowserSession& session)
{
    const SaveLocationChoice& choice = context_.saveLocation;
    const QString name = SavePaths::fileNameFor(url, session);
    const QString defaultPath = SavePaths::defaultPath(context_.dialogSettings.lastSavePath, name);
    const auto start = [&](const QString& path) {
        int row = -1;
        windows_.StartJob(url, path, row, RequestOptions::of(session));
    };

    if (choice.SaveLastDir)
        start(defaultPath);
    if (choice.SaveSameDir && !choice.TextSameDir.isEmpty())
        start(SavePaths::join(choice.TextSameDir, name));
    if (choice.SaveSameDir && choice.TextSameDir.isEmpty())
        start(defaultPath);
    if (choice.SaveFileType)
        start(SavePaths::join(GetPathFromList(url), name));
    if (choice.SaveFileInfo && !choice.ParentDir.isEmpty()) {
        const QDate today = today_();
        const QString sub = choice.UseServer ? GetServerName(url)
            : choice.UseDate ? QStringLiteral("%1-%2-%3").arg(today.day()).arg(today.month()).arg(today.year())
                             : GetExtensionName(GetFileName(url));
        const QString folder = SavePaths::join(choice.ParentDir, sub);
        QDir().mkdir(folder); // one level; an existing folder is fine
        start(SavePaths::join(folder, name));
    }
    if (choice.SaveFileInfo && choice.ParentDir.isEmpty())
        windows_.QueueJob(url, defaultPath, RequestOptions::of(session));
}
