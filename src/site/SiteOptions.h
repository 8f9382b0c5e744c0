#pragma once

#include <QString>

// The choices of the site-download dialog that the crawl follows: which file
// types a page's links are followed to, and how many links of one page are
// taken at most.
struct SiteOptions {
    bool FileTypeTxt = true;     // text pages
    bool FileTypeGif = false;    // images
    bool FileTypeAll = false;    // every file
    bool FileNumNoLim = true;    // no limit per page
    bool FileNumNoFiles = false; // the limit below is on
    QString FileNumNoNum = QStringLiteral("10");

    // Whether any file type is chosen; a crawl without one takes no links.
    bool followsAnything() const { return FileTypeTxt || FileTypeGif || FileTypeAll; }
    // Whether a link whose file has the extension `ext` (lower case, without
    // the dot) is followed. Only "gif" and "jpeg" count as images.
    bool follows(const QString& ext) const;
    // The most links one page may give; 0 for no limit.
    int pageLimit() const;
};
