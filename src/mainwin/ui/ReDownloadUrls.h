#pragma once

#include "engine/JobList.h"

#include <QStringList>

// The addresses that re-downloading the selected rows of `list` starts, from
// the first row to the last: each row's URL cell from its first "http://" on,
// then from its first "ftp://" on (letter case ignored). A row whose address
// comes out empty ends the command: later rows are not looked at.
QStringList ReDownloadUrls(const JobList& list);
