#pragma once

#include <QString>

// Makes the folders of a crawled file beneath the crawl's folder, one level
// at a time, and says whether the file may be written there: never when a
// folder on the way is a symbolic link (it could lead anywhere), when a name
// on the way is a file, or when the file itself is a symbolic link. Nothing
// is made outside the crawl's folder.
class CrawlFolder {
public:
    static bool prepare(const QString& root, const QString& savePath);
};
