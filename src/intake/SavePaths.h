#pragma once

#include "core/BrowserSession.h"

#include <QString>

// Joining and choosing save paths.
class SavePaths {
public:
    // `folder` and `name` with exactly one "/" between them.
    static QString join(const QString& folder, const QString& name);
    // The folder that holds `path`; empty for a bare name.
    static QString folderOf(const QString& path);
    // The user's download folder (the XDG download directory).
    static QString downloadFolder();
    // Where a URL's file goes by default: beside the last file saved, or in
    // the download folder before anything was saved.
    static QString defaultPath(const QString& lastSavePath, const QString& fileName);
    // The name a URL's file is saved under: the browser's file name for it
    // when the browser gave one (its last part only, so that it names no
    // other folder), else the name in the URL.
    static QString fileNameFor(const QString& url, const BrowserSession& session);
};
