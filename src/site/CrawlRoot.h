#pragma once

#include <QString>
#include <QUrl>

// Where a crawl keeps to: the folder of its start page on the server, and
// the folder its start page was saved in. Every file of the crawl lies
// beneath both, at the same path.
struct CrawlRoot {
    QUrl base;      // scheme, host, port and the start page's folder, ending in "/"
    QString folder; // the start page's folder on disk, without a trailing "/"

    bool isSet() const { return base.isValid() && !folder.isEmpty(); }

    static CrawlRoot of(const QString& startUrl, const QString& startSavePath);
};
