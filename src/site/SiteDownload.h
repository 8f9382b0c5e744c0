#pragma once

#include <QString>

// One file a crawl fetches: its address and where it is saved.
struct SiteDownload {
    QString url;
    QString savePath;

    bool operator==(const SiteDownload&) const = default;
};
