#pragma once

#include <QString>
#include <QUrl>

struct CrawlRoot;

// One link of a crawled page, resolved as a browser resolves it against the
// page's address (relative, root-relative or absolute; backslashes count as
// slashes; the fragment is dropped), and placed beneath the crawl's folder at
// the path it has beneath the start page's folder on the server.
struct SiteLink {
    enum class Skip {
        None,
        NotAFile,      // mailto:, javascript:, data:
        OtherServer,   // another scheme, host or port than the start page's
        OutsideFolder, // not beneath the start page's folder
        NoFileName,    // a folder ("dir/")
        UnsafeName,    // a part that is empty, ".", "..", or holds a slash or NUL once decoded
    };

    Skip skip = Skip::None;
    QString url;      // the address to fetch, percent-encoded
    QString savePath; // beneath the crawl's folder
    QString ext;      // the file name's extension, lower case, without the dot

    static SiteLink resolve(const QString& link, const QUrl& page, const CrawlRoot& root);
};
