#include "app/ConsoleLog.h"

#include "engine/DownloadJob.h"

#include <QTextStream>

void ConsoleLog::watch(DownloadJob& job)
{
    QTextStream(stderr) << "KEVA: downloading " << job.url() << " to " << job.savePath() << Qt::endl;
    connect(&job, &DownloadJob::completedSuccessfully, this, &ConsoleLog::completed, Qt::UniqueConnection);
    connect(&job, &DownloadJob::failedWith, this, &ConsoleLog::failed, Qt::UniqueConnection);
}

void ConsoleLog::completed()
{
    if (const auto* job = qobject_cast<const DownloadJob*>(sender()))
        QTextStream(stderr) << "KEVA: done " << job->savePath() << Qt::endl;
}

void ConsoleLog::failed(const QString& text)
{
    if (const auto* job = qobject_cast<const DownloadJob*>(sender()))
        QTextStream(stderr) << "KEVA: failed " << job->savePath() << ": " << text << Qt::endl;
}
