#pragma once

#include "core/SplitUrl.h"
#include "engine/ConnectionFactory.h"
#include "engine/ProxyRoute.h"
#include "engine/RateMeter.h"
#include "engine/SegmentFiles.h"
#include "engine/SegmentTable.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class RateLimiter;

// The HTTP transfer of a probed file over the segment table: one GET per
// segment, each writing its bytes at their own offsets. A connection that has
// fetched its range takes over half of the largest range left, where that
// ends the download sooner. A server that mishandles ranges gets one request
// for the whole file.
class SegmentedTransfer : public QObject {
    Q_OBJECT
public:
    // A range is split for an idle connection only when more than this is left of
    // it: less is fetched sooner where it is than by a new connection.
    static constexpr qint64 kMinimumTakeOver = 64 * 1024;
    // What a new connection costs before its first byte, in seconds.
    static constexpr double kConnectionSetupSeconds = 0.2;

    struct Callbacks {
        // The header of each reply, as received.
        std::function<void(const QString& headerText)> onHeader;
        // Bytes of segment i were written.
        std::function<void(int segment)> onProgress;
        // A reply without a length has ended: the file has `size` bytes.
        std::function<void(qint64 size)> onLengthKnown;
        // Every byte is there.
        std::function<void()> onAllReceived;
        // A connection ended short; `again` goes on where it stands.
        std::function<void(const std::function<void()>& again)> onShortReply;
        std::function<void(const QString& message)> onFail;
        // Writing to the file failed: the transfer cannot go on.
        std::function<void(const QString& error)> onWriteFailed;
        // The ranges went wrong: the file is fetched again from its start
        // on one connection.
        std::function<void()> onRestartedFromZero;
        // Segment `from` gave half of its range to segment `to`.
        std::function<void(int from, int to)> onTakenOver;
        std::function<void(int code, const QString& description)> onNetworkError;
        // The job still transfers (not paused, stopped or ended).
        std::function<bool()> goesOn;
    };

    SegmentedTransfer(SegmentTable& segments, SegmentFiles& files, const ConnectionFactory& factory,
                      Callbacks callbacks, QObject* parent = nullptr);

    void setLimiter(RateLimiter* limiter) { limiter_ = limiter; }
    // What every request asks for: the file of `parts` with `size` bytes
    // (-1 when unknown), through the proxy of `route` when there is one.
    void setTarget(const UrlParts& parts, qint64 size, const std::optional<ProxyRoute>& route);
    // Ranges are off for the rest of this download.
    bool rangeless() const { return rangeless_; }
    void allowRanges() { rangeless_ = false; }

    // Connects every segment that has bytes left.
    void connectAll();
    void closeAll();
    // Forgets the failures of the last run (a resume goes on).
    void clearFailures() { failed_.fill(false); }
    // The per-segment rates start again from where each segment stands.
    void resetRates();
    // Notes each segment's progress for its rate (every half second).
    void tickRates();

private:
    void connectSegment(int i);
    void header(int i);
    void body(int i, const char* data, qsizetype size);
    void ended(int i, bool complete);
    void restartFromZero();
    void takeOverWork(int i);
    bool write(int i, const char* data, qsizetype size);
    bool knownSize() const { return size_ >= 0; }

    SegmentTable& segments_;
    SegmentFiles& files_;
    const ConnectionFactory& factory_;
    Callbacks callbacks_;
    RateLimiter* limiter_ = nullptr;
    UrlParts parts_;
    qint64 size_ = -1;
    std::optional<ProxyRoute> route_;
    std::array<std::unique_ptr<HttpConnection>, SegmentTable::kMaxSegments> connections_;
    std::array<bool, SegmentTable::kMaxSegments> failed_ {};
    std::array<RateMeter, SegmentTable::kMaxSegments> rates_;
    bool rangeless_ = false;
};
