#include "CrawlHarness.h"

#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>

CrawlHarness::CrawlHarness()
{
    home.installLanguageFiles();
    context = &home.newContext();
    LoadSettings(*context, LoadReason::Startup);
    windows = std::make_unique<DownloadWindows>(*context, jobs);
    crawl = std::make_unique<SiteCrawl>(*context, intake, *windows);
}

void CrawlHarness::crawlFrom(const QString& startUrl, const QString& startSavePath)
{
    crawl->begin();
    int row = -1;
    windows->StartJob(startUrl, startSavePath, row);
}

bool CrawlHarness::waitUntilOver(int timeoutMs)
{
    return waitFor(
        [this] {
            const auto phase = crawl->progress().phase;
            return phase == CrawlProgress::Phase::Finished || phase == CrawlProgress::Phase::Stopped;
        },
        timeoutMs);
}

bool CrawlHarness::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QMap<QString, QByteArray> CrawlHarness::tree(const QString& folder)
{
    QMap<QString, QByteArray> files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        files.insert(root.relativeFilePath(path), hash.result().toHex());
    }
    return files;
}
