#pragma once

#include "engine/JobList.h"

#include <QList>
#include <QString>

// A selected row and the address that re-downloading it starts.
struct ReDownloadItem {
    JobList::Row row;
    QString url;
};

// What re-downloading the selected rows of `list` starts, from the first row
// to the last: each row's URL cell from its first "http://" on, then from its
// first "ftp://" on (letter case ignored). A row whose address comes out
// empty ends the command: later rows are not looked at.
QList<ReDownloadItem> ReDownloadUrls(const JobList& list);
