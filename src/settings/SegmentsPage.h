#pragma once

#include <QString>

#include <array>

class SettingsPageIO;

// The segments page: segmented downloads on or off, and the file-size bounds
// of the segment table in megabytes.
class SegmentsPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    // The box's click: Frame11, the size boxes and their labels follow it.
    void setSegment(bool checked);

    bool chkSegment = false;
    bool segmentsEnabled = false;
    // Entries 1 to 9; entry 0 is unused.
    std::array<QString, 10> txtSegment;
};
