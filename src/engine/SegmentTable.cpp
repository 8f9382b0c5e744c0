#include "engine/SegmentTable.h"

int SegmentTable::segmentsFor(qint64 size, const AppSettings& settings, int current)
{
    const auto& s = settings.SegmentSize;
    const double bytes = static_cast<double>(size);
    if (settings.Segment != 1 || bytes < s[1])
        return current;
    if (bytes <= s[2])
        return 2;
    if (bytes >= s[3] && bytes <= s[4])
        return 3;
    if (bytes >= s[5] && bytes <= s[6])
        return 4;
    if (bytes >= s[7] && bytes <= s[8])
        return 5;
    if (bytes >= s[9])
        return 6;
    return current;
}

void SegmentTable::layoutSingle(qint64 contentLength)
{
    NumSegments = 0;
    SegStart[0] = 0;
    SegStart[1] = contentLength;
    SegPos[0] = 1;
}

void SegmentTable::layoutSegments(qint64 contentLength, int count)
{
    NumSegments = count;
    SegStart[0] = 0;
    SegPos[0] = 1;
    for (std::size_t i = 1; i < static_cast<std::size_t>(count); ++i) {
        SegStart[i] = SegStart[i - 1] + contentLength / count;
        SegPos[i] = SegStart[i] + 1;
    }
    SegStart[static_cast<std::size_t>(count)] = contentLength;
}

void SegmentTable::SetSegIndecies(qint64 length, qint64 rollback)
{
    if (length <= rollback)
        return;
    if (NumSegments == 0) {
        if (SegPos[0] < length)
            SegPos[0] = length - rollback;
        return;
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(NumSegments); ++i) {
        if (SegPos[i] >= length)
            continue;
        SegPos[i] = length > SegStart[i + 1] ? SegStart[i + 1] : length - rollback / NumSegments;
    }
}

void SegmentTable::rollBackForResume(qint64 rollback)
{
    for (int i = 0; i < connections(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        SegResume[at] = true;
        if (SegPos[at] - 1 - SegStart[at] > rollback)
            SegPos[at] -= rollback;
    }
}

qint64 SegmentTable::TotalReceived() const
{
    qint64 total = SegPos[0];
    for (std::size_t i = 1; i < static_cast<std::size_t>(NumSegments); ++i)
        total += SegPos[i] - SegStart[i] - 1;
    return total;
}

qint64 SegmentTable::requestStart(int i) const
{
    const auto at = static_cast<std::size_t>(i);
    return SegResume[at] ? SegPos[at] - 1 : SegStart[at];
}
