#include "site/CheckSite.h"

#include "site/LinkScanner.h"
#include "site/SiteLink.h"
#include "site/SiteLinkList.h"
#include "site/SiteOptions.h"

#include <QFile>

CheckSite::CheckSite(const SiteOptions& options, SiteLinkList& links, CrawlRoot root)
    : options_(options)
    , links_(links)
    , root_(std::move(root))
{
}

namespace {

constexpr qint64 kReadBytes = 64 * 1024;

} // namespace

QList<SiteDownload> CheckSite::run(QIODevice& page, const QUrl& pageUrl)
{
    QList<SiteDownload> downloads;
    if (!options_.followsAnything())
        return downloads;
    const int limit = options_.pageLimit();
    int counted = 0;
    LinkScanner scanner([&](const QString& text) {
        const SiteLink link = SiteLink::resolve(text, pageUrl, root_);
        if (link.skip != SiteLink::Skip::None || !options_.follows(link.ext))
            return true;
        ++counted;
        if (links_.contains(link.url))
            return true;
        // A link over the page's limit stays unrecorded, so that a later
        // page that links it can still take it.
        if (limit > 0 && counted > limit)
            return false;
        links_.store(link.url);
        downloads.append({link.url, link.savePath});
        return true;
    });
    // The page is scanned as it is read, never held whole.
    QByteArray bytes(kReadBytes, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = page.read(bytes.data(), kReadBytes)) > 0) {
        if (!scanner.feed(QByteArrayView(bytes.constData(), got)))
            return downloads;
    }
    scanner.finish();
    return downloads;
}

QList<SiteDownload> CheckSite::runFile(const QString& path, const QUrl& pageUrl)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return run(file, pageUrl);
}
