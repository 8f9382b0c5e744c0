#include "JobRunner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

JobRunner::JobRunner(KevaContext& context)
    : windows(context, jobs)
{
}

DownloadJob* JobRunner::start(const QString& url, const QString& savePath, FileExistsChoice choice)
{
    windows.askFileExists = [choice](const QString&) { return choice; };
    int row = -1;
    return windows.StartJob(url, savePath, row, options);
}

JobRunner::Result JobRunner::wait(DownloadJob* job, int timeoutMs)
{
    Result result;
    result.job = job;
    if (!job)
        return result;
    waitFor([job] { return job->completed() || job->failed(); }, timeoutMs);
    result.completed = job->completed();
    result.failure = job->failed() ? job->view().lblStatus : QString();
    result.timedOut = !job->completed() && !job->failed();
    return result;
}

JobRunner::Result JobRunner::run(const QString& url, const QString& savePath, FileExistsChoice choice, int timeoutMs)
{
    return wait(start(url, savePath, choice), timeoutMs);
}

bool JobRunner::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}
