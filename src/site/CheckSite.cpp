#include "site/CheckSite.h"

#include "site/LinkScanner.h"
#include "site/SiteLink.h"
#include "site/SiteLinkList.h"
#include "site/SiteOptions.h"

#include <QFile>
#include <QTextStream>

CheckSite::CheckSite(const SiteOptions& options, SiteLinkList& links, CrawlRoot root)
    : options_(options)
    , links_(links)
    , root_(std::move(root))
{
}

QList<SiteDownload> CheckSite::run(QTextStream& page, const QUrl& pageUrl)
{
    QList<SiteDownload> downloads;
    if (!options_.followsAnything())
        return downloads;
    const int limit = options_.pageLimit();
    int counted = 0;
    QString line;
    while (page.readLineInto(&line)) {
        for (const QString& text : LinkScanner::linksIn(line)) {
            const SiteLink link = SiteLink::resolve(text, pageUrl, root_);
            if (link.skip != SiteLink::Skip::None || !options_.follows(link.ext))
                continue;
            ++counted;
            if (links_.contains(link.url))
                continue;
            // A link over the page's limit stays unrecorded, so that a later
            // page that links it can still take it.
            if (limit > 0 && counted > limit)
                return downloads;
            links_.store(link.url);
            downloads.append({link.url, link.savePath});
        }
    }
    return downloads;
}

QList<SiteDownload> CheckSite::runFile(const QString& path, const QUrl& pageUrl)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream page(&file);
    return run(page, pageUrl);
}
