#pragma once

#include <QString>

// The checks kevaget makes of a URL and of where its file goes, the same for
// a URL of the command line and each URL of a list.
namespace KevaGetChecks {

// Why kevaget cannot fetch `url`; empty when it can.
QString urlProblem(const QString& url);
// Where `url` goes without -o: the name the URL gives, in the current folder.
QString defaultSavePath(const QString& url);
// Why nothing may be saved at `savePath`: an existing file with no -c or -f
// (`choiceGiven`), or a folder that is not there; empty when it may.
QString targetProblem(const QString& savePath, bool choiceGiven);

} // namespace KevaGetChecks
