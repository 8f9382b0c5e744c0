#pragma once

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
};
