#include "mainwin/ui/ReDownloadUrls.h"

namespace {

QString fromScheme(const QString& url, const QString& scheme)
{
    const qsizetype at = url.indexOf(scheme, 0, Qt::CaseInsensitive);
    return at >= 0 ? url.mid(at) : url;
}

} // namespace

QList<ReDownloadItem> ReDownloadUrls(const JobList& list)
{
    QList<ReDownloadItem> items;
    for (int number = 1; number <= list.rowCount(); ++number) {
        const JobList::Row row = list.row(number);
        if (!row->selected)
            continue;
        QString url = row->subItem(JobColumn::Url);
        for (const QString& scheme : {QStringLiteral("http://"), QStringLiteral("https://"), QStringLiteral("ftp://")})
            url = fromScheme(url, scheme);
        if (url.isEmpty())
            break;
        items.append({row, url});
    }
    return items;
}
