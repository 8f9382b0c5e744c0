#include "settings/SegmentsPage.h"

#include "settings/SettingsPageIO.h"
#include "settings/SettingsSchema.h"

void SegmentsPage::show(SettingsPageIO& io)
{
    io.read("Segment");
    setSegment(io.settings.Segment != 0);
    for (int i = 1; i <= 9; ++i)
        txtSegment[static_cast<std::size_t>(i)] = io.read(SettingsSchema::segmentName(i));
}

void SegmentsPage::store(SettingsPageIO& io) const
{
    io.write("Segment", chkSegment);
    for (int i = 1; i <= 9; ++i)
        io.write(SettingsSchema::segmentName(i), txtSegment[static_cast<std::size_t>(i)]);
}

void SegmentsPage::setSegment(bool checked)
{
    chkSegment = segmentsEnabled = checked;
}
