#pragma once

#include <QString>

// One row of the file-type table: files of `fileType` are saved to `folder`.
struct FileTypeFolder {
    QString fileType;
    QString folder;

    bool operator==(const FileTypeFolder&) const = default;
};
