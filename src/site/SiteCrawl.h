#pragma once

#include "site/SiteLinkList.h"
#include "site/SiteOptions.h"

#include <QObject>

class KevaContext;

// The site download of the whole program: the options of the last Next, the
// link list and the site-download mode.
class SiteCrawl : public QObject {
    Q_OBJECT
public:
    explicit SiteCrawl(KevaContext& context, QObject* parent = nullptr);

    SiteOptions options;
    const SiteLinkList& links() const { return links_; }

    // Next of the site-download dialog: the mode goes on and the link list
    // starts afresh; the next page that finishes is the start page.
    void begin();

private:
    KevaContext& context_;
    SiteLinkList links_;
};
