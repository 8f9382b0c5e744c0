#pragma once

#include "engine/DownloadWindows.h"
#include "engine/JobList.h"
#include "intake/IntakeSession.h"
#include "site/SiteCrawl.h"

#include "support/TestHome.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>
#include <memory>

class KevaContext;

// A program start for crawl tests: settings loaded, the job table, and a
// site crawl that every starting job passes, as the program wires them.
class CrawlHarness {
public:
    CrawlHarness();

    // Next, then the start page downloaded as the add-URL path would.
    void crawlFrom(const QString& startUrl, const QString& startSavePath);
    // Runs the event loop until the crawl is over (finished or stopped), or
    // `timeoutMs` passed; says whether it is over.
    bool waitUntilOver(int timeoutMs = 120000);
    static bool waitFor(const std::function<bool()>& done, int timeoutMs);

    // Every file below `folder`, by its path relative to it, with its sha256.
    static QMap<QString, QByteArray> tree(const QString& folder);

    TestHome home;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobList jobs;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<SiteCrawl> crawl;
};
