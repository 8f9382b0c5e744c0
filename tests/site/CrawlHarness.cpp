#include "CrawlHarness.h"

#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTimer>

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
    // Sleeps until something happens, as the program's own event loop does
    // (polling would take a core from the servers); the timer wakes it to look
    // at the deadline.
    QTimer wake;
    wake.start(20);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
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
