#include "mainwin/DownloadNotices.h"

#include "core/ProgramTitle.h"
#include "core/TextLookup.h"
#include "engine/DownloadJob.h"
#include "mainwin/DesktopNotifier.h"
#include "settings/AppSettings.h"

#include <QFileInfo>

DownloadNotices::DownloadNotices(const AppSettings& settings, const TextLookup& text, DesktopNotifier& notifier,
                                 QObject* parent)
    : QObject(parent)
    , settings_(settings)
    , text_(text)
    , notifier_(notifier)
{
}

void DownloadNotices::watch(DownloadJob& job)
{
    connect(&job, &DownloadJob::completedSuccessfully, this, &DownloadNotices::jobCompleted, Qt::UniqueConnection);
    connect(&job, &DownloadJob::failedWith, this, &DownloadNotices::jobFailed, Qt::UniqueConnection);
}

void DownloadNotices::jobCompleted()
{
    if (const auto* job = qobject_cast<const DownloadJob*>(sender()))
        tell(*job, text_.GetText(QStringLiteral("11170"), QStringLiteral("Download complete")), true);
}

void DownloadNotices::jobFailed(const QString& text)
{
    if (const auto* job = qobject_cast<const DownloadJob*>(sender()))
        tell(*job, text, false);
}

// A failed download has no file to open, but its folder holds what it left.
void DownloadNotices::tell(const DownloadJob& job, const QString& outcome, bool fileOpens)
{
    if (!settings_.NotifyWhenDone)
        return;
    const QString body = text_.leftToRight(QFileInfo(job.savePath()).fileName()) + QLatin1Char('\n') + outcome;
    QList<DesktopNotifier::Action> actions;
    if (fileOpens)
        actions.append({QString::fromLatin1(DesktopNotifier::kOpen),
                        text_.GetText(QStringLiteral("11174"), QStringLiteral("Open"))});
    actions.append({QString::fromLatin1(DesktopNotifier::kOpenFolder),
                    text_.GetText(QStringLiteral("11175"), QStringLiteral("Open Folder"))});
    if (!notifier_.notify(kProgramTitle, body, job.savePath(), actions) && showBalloon)
        showBalloon(kProgramTitle, body);
}
