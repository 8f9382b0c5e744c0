#include "site/SiteCrawl.h"

#include "settings/KevaContext.h"

SiteCrawl::SiteCrawl(KevaContext& context, QObject* parent)
    : QObject(parent)
    , context_(context)
{
}

void SiteCrawl::begin()
{
    links_.truncate();
    context_.SiteDownloadMode = true;
}
