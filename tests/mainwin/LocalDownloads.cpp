#include "LocalDownloads.h"

#include "engine/DownloadJob.h"
#include "engine/DownloadWindows.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QRandomGenerator>

namespace {

QByteArray randomContent()
{
    QByteArray content(40 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
    return content;
}

} // namespace

LocalDownloads::LocalDownloads()
    : content_(randomContent())
    , server_(content_)
{
}

DownloadJob* LocalDownloads::run(DownloadWindows& windows, const QString& savePath, const QString& fragment)
{
    int row = -1;
    DownloadJob* job = windows.StartJob(server_.url(QStringLiteral("file.bin")) + fragment, savePath, row);
    const QDeadlineTimer deadline(20000);
    while (job && !job->completed() && !job->failed()) {
        if (deadline.hasExpired())
            return nullptr;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return job;
}

QByteArray LocalDownloads::sha256(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

void LocalDownloads::settle(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
