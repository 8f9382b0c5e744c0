#include "SlowTransfers.h"

#include "engine/DownloadWindows.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

SlowTransfers::SlowTransfers()
    : nginx_(root_.path())
{
    QFile::setPermissions(root_.path(),
                          QFile::permissions(root_.path()) | QFileDevice::ExeOther | QFileDevice::ReadOther);
    QFile data(root_.path() + QStringLiteral("/f.bin"));
    if (data.open(QIODevice::WriteOnly))
        data.write(QByteArray(1024 * 1024, 'k'));
    data.close();
    QFile::setPermissions(data.fileName(), QFile::permissions(data.fileName()) | QFileDevice::ReadOther);
    nginx_.addRateLimitedLocation(QStringLiteral("/slow/"), 20000);
}

DownloadJob* SlowTransfers::start(DownloadWindows& windows, const QString& savePath)
{
    int row = -1;
    DownloadJob* job = windows.StartJob(nginx_.url(QStringLiteral("/slow/f.bin")).toString(), savePath, row);
    const QDeadlineTimer deadline(20000);
    while (job && !job->isTransferring() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return job && job->isTransferring() ? job : nullptr;
}

bool SlowTransfers::waitForRate(const DownloadJob& job)
{
    const QDeadlineTimer deadline(10000);
    while (job.currentRate() <= 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return job.currentRate() > 0;
}
