#include "intake/SavePromptState.h"

#include "engine/DownloadWindows.h"
#include "intake/SavePaths.h"
#include "intake/UrlCutting.h"
#include "settings/KevaContext.h"

SavePromptState::SavePromptState(KevaContext& context, DownloadWindows& windows, QObject* parent)
    : QObject(parent)
    , context_(context)
    , windows_(windows)
{
}

void SavePromptState::open()
{
    const auto text = [this](const char* key, const QString& fallback) {
        return context_.text.caption(QString::fromLatin1(key), fallback);
    };
    caption = text("06000", QStringLiteral("Download File"));
    banner = text("06001", QStringLiteral("Save file to?"));
    Frame1 = text("04001", QStringLiteral("&File Info"));
    Label1 = text("06002", QStringLiteral("URL:"));
    Label2 = text("06003", QStringLiteral("Save As:"));
    Command4 = text("06004", QStringLiteral("C&hange"));
    Command1 = text("06006", QStringLiteral("&Begin Download"));
    Command2 = text("06005", QStringLiteral("&Download Later"));
    Command3 = text("05004", QStringLiteral("&Cancel"));
    txtURL = PromptURL;
    txtSaveTo.clear();
    if (askSavePath) {
        const QString proposed = SavePaths::defaultPath(context_.LastSavePath,
                                                        PromptURL.mid(PromptURL.lastIndexOf(QLatin1Char('/')) + 1));
        if (const auto chosen = askSavePath(QStringLiteral("KEVA 3.0 [Save file to?]"), proposed)) {
            txtSaveTo = *chosen;
            context_.LastSavePath = *chosen;
        }
    }
    emit changed();
}

void SavePromptState::beginDownload()
{
    if (!ready())
        return;
    context_.FileExistsAction = 0;
    if (showJobList)
        showJobList();
    int row = -1;
    windows_.StartJob(txtURL, txtSaveTo, row);
    emit closed();
}

void SavePromptState::downloadLater()
{
    if (!ready())
        return;
    windows_.QueueJob(txtURL, txtSaveTo);
    emit closed();
}

void SavePromptState::cancel()
{
    emit closed();
}

void SavePromptState::change()
{
    if (!askSavePath)
        return;
    const QString start = txtSaveTo.isEmpty() ? SavePaths::defaultPath(context_.LastSavePath, GetFileName(txtURL))
                                              : txtSaveTo;
    if (const auto chosen = askSavePath(QStringLiteral("Save file to..."), start)) {
        txtSaveTo = *chosen;
        emit changed();
    }
}
