#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// Every address the crawl has taken since the dialog's Next, so that a link
// found again, on the same page or another, is taken once. The list keeps
// the design's shape: its last entry is empty and waits for the next address.
class SiteLinkList {
public:
    // Forgets every address (Next).
    void truncate();
    bool contains(const QString& url) const { return seen_.contains(url); }
    // Stores `url` in the last entry; the list then grows by one empty entry.
    void store(const QString& url);
    // The stored addresses, in the order they were stored.
    QStringList urls() const { return entries_.mid(0, entries_.size() - 1); }

private:
    QStringList entries_ {QString()};
    QSet<QString> seen_;
};
