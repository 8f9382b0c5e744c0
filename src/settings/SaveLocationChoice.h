#pragma once

#include <QString>

// The save-location rule chosen in the settings dialog, copied out of it each
// time it loads. Exactly one of the four rules holds, and exactly one of the
// three sub-folder kinds of the "By File Info" rule.
struct SaveLocationChoice {
    bool SaveLastDir = true;
    bool SaveSameDir = false;
    bool SaveFileType = false;
    bool SaveFileInfo = false;
    QString TextSameDir;
    QString ParentDir;
    bool UseServer = true;
    bool UseDate = false;
    bool UseFileExt = false;

    bool operator==(const SaveLocationChoice&) const = default;
};
