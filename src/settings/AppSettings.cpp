#include "settings/AppSettings.h"

void AppSettings::setSegmentBound(int index, double storedBytes)
{
    if (index < 1 || index > 9)
        return;
    const bool raised = index >= 3 && index % 2 == 1;
    SegmentSize[static_cast<std::size_t>(index)] = raised ? storedBytes + 1 : storedBytes;
}
