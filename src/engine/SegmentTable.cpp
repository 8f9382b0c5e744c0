#include "engine/SegmentTable.h"

#include <algorithm>

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
    Retired = 0;
    SegStart[0] = 0;
    SegPos[0] = 1;
    SegAsked.fill(0);
    setLength(contentLength);
}

void SegmentTable::setLength(qint64 contentLength)
{
    SegStart[1] = contentLength;
    SegEnd[0] = contentLength;
}

void SegmentTable::layoutSegments(qint64 contentLength, int count)
{
    NumSegments = count;
    Retired = 0;
    SegStart[0] = 0;
    SegPos[0] = 1;
    for (std::size_t i = 1; i < static_cast<std::size_t>(count); ++i) {
        SegStart[i] = SegStart[i - 1] + contentLength / count;
        SegPos[i] = SegStart[i] + 1;
        SegEnd[i - 1] = SegStart[i];
    }
    SegStart[static_cast<std::size_t>(count)] = contentLength;
    SegEnd[static_cast<std::size_t>(count) - 1] = contentLength;
    std::copy_n(SegStart.begin(), kMaxSegments, SegAsked.begin());
}

void SegmentTable::resumeFrom(const ResumeRecord& record, qint64 rollback)
{
    const auto& saved = record.segments;
    const auto count = static_cast<std::size_t>(std::min<qsizetype>(saved.size(), kMaxSegments));
    const auto goOn = [rollback](const ResumeRecord::Segment& segment) {
        return std::max(segment.start, segment.next - rollback) + 1;
    };
    if (count == 1 && saved[0].start == 0 && saved[0].end == record.size) {
        layoutSingle(record.size);
        SegPos[0] = goOn(saved[0]);
        SegResume[0] = true;
        return;
    }
    NumSegments = static_cast<int>(count);
    Retired = record.size;
    for (std::size_t i = 0; i < count; ++i) {
        const ResumeRecord::Segment& segment = saved[static_cast<qsizetype>(i)];
        SegStart[i] = segment.start;
        SegEnd[i] = segment.end;
        SegPos[i] = goOn(segment);
        SegAsked[i] = segment.start;
        SegResume[i] = true;
        Retired -= segment.end - segment.start;
    }
    SegStart[count] = record.size;
}

std::optional<int> SegmentTable::takeOverHalf(int done, qint64 minimum, const std::function<bool(int, qint64)>& worthIt)
{
    if (NumSegments < 2 || !segmentDone(done))
        return std::nullopt;
    std::optional<int> largest;
    qint64 largestPart = minimum;
    qint64 middle = 0;
    for (int i = 0; i < NumSegments; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const qint64 left = SegEnd[at] - nextOffset(i);
        const qint64 split = std::max(nextOffset(i) + left / 2, SegAsked[at]);
        const qint64 part = SegEnd[at] - split;
        if (i != done && part > largestPart && (!worthIt || worthIt(i, left))) {
            largest = i;
            largestPart = part;
            middle = split;
        }
    }
    if (!largest)
        return std::nullopt;
    const auto from = static_cast<std::size_t>(*largest);
    const auto to = static_cast<std::size_t>(done);
    Retired += SegEnd[to] - SegStart[to];
    SegStart[to] = middle;
    SegPos[to] = middle + 1;
    SegEnd[to] = SegEnd[from];
    SegAsked[to] = middle;
    SegResume[to] = false;
    SegEnd[from] = middle;
    return largest;
}

QList<ResumeRecord::Segment> SegmentTable::ranges() const
{
    QList<ResumeRecord::Segment> list;
    for (std::size_t i = 0; i < static_cast<std::size_t>(connections()); ++i)
        list.append({SegStart[i], nextOffset(i), SegEnd[i]});
    return list;
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
        SegPos[i] = length > SegEnd[i] ? SegEnd[i] : length - rollback / NumSegments;
    }
}

void SegmentTable::rollBackForResume(qint64 rollback)
{
    for (int i = 0; i < connections(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        SegResume[at] = true;
        if (nextOffset(i) - SegStart[at] > rollback)
            SegPos[at] -= rollback;
    }
}

qint64 SegmentTable::TotalReceived() const
{
    if (NumSegments == 0)
        return Retired + SegPos[0];
    qint64 total = 1 + Retired;
    for (std::size_t i = 0; i < static_cast<std::size_t>(NumSegments); ++i)
        total += SegPos[i] - SegStart[i] - 1;
    return total;
}

qint64 SegmentTable::requestStart(int i) const
{
    const auto at = static_cast<std::size_t>(i);
    return SegResume[at] ? nextOffset(i) : SegStart[at];
}
