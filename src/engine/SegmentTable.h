#pragma once

#include "engine/ResumeFile.h"
#include "settings/AppSettings.h"

#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>

// How a file is split into byte ranges that are fetched in parallel and
// written straight into the one target file.
//
// Segment i covers the 0-based offsets SegStart[i] to SegEnd[i] - 1 (at
// first SegEnd[i] is SegStart[i+1]; a re-split or a resume can change that);
// SegPos[i] is the 1-based file position where its next byte goes, so
// SegPos[i] - 1 is the next offset to fetch. With one connection
// (NumSegments 0) segment 0 covers the whole file, and the bytes before its
// position are in place. Bytes of ranges that no segment covers any more
// (finished before a re-split, or before a resume) are counted in `Retired`.
// SegAsked[i] is the end (exclusive offset) of what segment i's connection
// has asked the server for: a take-over leaves those bytes to it, so that the
// server never sends a byte twice.
class SegmentTable {
public:
    static constexpr int kMaxSegments = 6;

    int NumSegments = 0;
    std::array<qint64, kMaxSegments + 1> SegStart {};
    std::array<qint64, kMaxSegments> SegPos {};
    std::array<qint64, kMaxSegments> SegEnd {};
    std::array<qint64, kMaxSegments> SegAsked {};
    qint64 Retired = 0;
    std::array<bool, kMaxSegments> SegResume {};

    // The number of connections for a file of `size` bytes: 0 (one) or 2 to 6,
    // from the segment bounds; `current` where the bounds leave a gap.
    static int segmentsFor(qint64 size, const AppSettings& settings, int current);

    // Connections in use: 1 for one connection, else NumSegments.
    int connections() const { return NumSegments == 0 ? 1 : NumSegments; }

    // One connection over the whole file.
    void layoutSingle(qint64 contentLength);
    // The length of a one-connection file, once it is known.
    void setLength(qint64 contentLength);
    // `count` (2 to 6) segments of equal size; the last takes the remainder.
    void layoutSegments(qint64 contentLength, int count);

    // Segment `done`, which has finished its range, takes over the second half
    // of another segment's rest, or, where that segment has asked for more
    // than the first half, the part beyond what it has asked for. It takes
    // the largest such part that has more than `minimum` bytes, from a
    // segment that `worthIt` (segment, bytes left) approves; that segment's
    // end moves back to where the taken part starts. Returns the segment
    // whose end moved, or nothing.
    std::optional<int> takeOverHalf(int done, qint64 minimum, const std::function<bool(int, qint64)>& worthIt = {});

    // Segments that go on where a resume record left them, each from its
    // position less `rollback` (never before its own start).
    void resumeFrom(const ResumeRecord& record, qint64 rollback);
    // The segments as a resume record keeps them.
    QList<ResumeRecord::Segment> ranges() const;

    // Positions the segments on an existing partial file of `length` bytes,
    // fetching `rollback` bytes again before the point where it ends.
    void SetSegIndecies(qint64 length, qint64 rollback);
    // Moves every segment that has advanced more than `rollback` bytes back by
    // that much, and marks each to continue where it stands.
    void rollBackForResume(qint64 rollback);

    // Bytes received so far, plus one (the form the display and the resume
    // data keep).
    qint64 TotalReceived() const;
    // Bytes received so far.
    qint64 receivedBytes() const { return TotalReceived() - 1; }
    // The 0-based offset of segment i's next byte.
    qint64 nextOffset(int i) const { return SegPos[static_cast<std::size_t>(i)] - 1; }
    // The end (exclusive offset) of segment i.
    qint64 segmentEnd(int i) const { return SegEnd[static_cast<std::size_t>(i)]; }
    bool segmentDone(int i) const { return nextOffset(i) >= segmentEnd(i); }
    // The first offset segment i asks for.
    qint64 requestStart(int i) const;
};
