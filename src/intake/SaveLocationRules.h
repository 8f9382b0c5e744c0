#pragma once

#include "core/BrowserSession.h"

#include <QDate>
#include <QString>

#include <functional>

class DownloadWindows;
class KevaContext;

// Where a URL that starts at once is saved, by the rule chosen in the
// settings: the last folder used, one fixed folder, a folder per file type, or
// a sub-folder (server, date or file type) of a parent folder.
class SaveLocationRules {
public:
    SaveLocationRules(KevaContext& context, DownloadWindows& windows, std::function<QDate()> today);

    // The folder of the file-type table for the URL's extension: the first
    // row whose type equals it exactly, else the last row; beside the last
    // saved file when the table is empty.
    QString GetPathFromList(const QString& url) const;

    // Applies the rules: starts the job (or, for a sub-folder rule without a
    // parent folder, only lists it), with what the browser knew of the URL.
    void apply(const QString& url, const BrowserSession& session = {});

private:
    KevaContext& context_;
    DownloadWindows& windows_;
    std::function<QDate()> today_;
};
