#include "site/SiteLinkList.h"

void SiteLinkList::truncate()
{
    entries_ = {QString()};
    seen_.clear();
}

void SiteLinkList::store(const QString& url)
{
    entries_.last() = url;
    entries_.append(QString());
    seen_.insert(url);
}
