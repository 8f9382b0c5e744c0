#pragma once

#include "site/CrawlRoot.h"
#include "site/SiteDownload.h"

#include <QList>
#include <QString>
#include <QUrl>

class QIODevice;
class SiteLinkList;
struct SiteOptions;

// Reads one finished page of a crawl and says which of its links to fetch:
// line by line, every link in the order it stands, resolved against the
// page's address and kept beneath the crawl's folders (SiteLink), then as the
// site options say: links of file types that are not followed are passed
// over; every other link counts towards the page's limit, duplicates
// included; a link already in the link list is skipped; once the count
// passes the limit the page ends there. Every link taken is stored in the
// list, the one that passes the limit too.
class CheckSite {
public:
    CheckSite(const SiteOptions& options, SiteLinkList& links, CrawlRoot root);

    QList<SiteDownload> run(QIODevice& page, const QUrl& pageUrl);
    // The same for a saved page; a page that cannot be read gives no links.
    QList<SiteDownload> runFile(const QString& path, const QUrl& pageUrl);

private:
    const SiteOptions& options_;
    SiteLinkList& links_;
    CrawlRoot root_;
};
