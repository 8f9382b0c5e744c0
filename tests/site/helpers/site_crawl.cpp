// The site crawl without a window, for the crawl benchmark:
//
//   site_crawl generate ROOT PORT [PAGES FILES]
//                                      writes the generated site into ROOT
//                                      (absolute links name 127.0.0.1:PORT) and
//                                      prints "pages files missing"
//   site_crawl crawl URL FOLDER LIMIT  crawls from URL into FOLDER with at most
//                                      LIMIT downloads at a time, the dialog's
//                                      default types, and prints "seconds pages
//                                      done failed"; exit 0 when it finished
//
// It runs in a program, registry and runtime folder of its own.
#include "CrawlHarness.h"
#include "GeneratedSite.h"

#include "settings/KevaContext.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if ((args.size() == 4 || args.size() == 6) && args[1] == QStringLiteral("generate")) {
        const auto port = static_cast<quint16>(args[3].toUInt());
        const GeneratedSite::Made made = args.size() == 6
            ? GeneratedSite::write(args[2], port, args[4].toInt(), args[5].toInt())
            : GeneratedSite::write(args[2], port);
        std::cout << made.pages << ' ' << made.files << ' ' << made.missing << std::endl;
        return 0;
    }
    if (args.size() == 5 && args[1] == QStringLiteral("crawl")) {
        CrawlHarness harness;
        harness.context->dialogSettings.txtLimitHTTP = args[4];
        QElapsedTimer clock;
        clock.start();
        harness.crawlFrom(args[2], args[3] + QStringLiteral("/index.html"));
        const bool over = harness.waitUntilOver(600000);
        const CrawlProgress& progress = harness.crawl->progress();
        std::cout << clock.nsecsElapsed() / 1e9 << ' ' << progress.pages << ' ' << progress.done << ' '
                  << progress.failed << std::endl;
        return over && progress.phase == CrawlProgress::Phase::Finished ? 0 : 1;
    }
    std::cerr << "usage: site_crawl generate ROOT PORT [PAGES FILES] | site_crawl crawl URL FOLDER LIMIT" << std::endl;
    return 2;
}
