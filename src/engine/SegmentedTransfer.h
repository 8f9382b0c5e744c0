#pragma once

#include "core/SplitUrl.h"
#include "engine/ConnectionFactory.h"
#include "engine/ProxyRoute.h"
#include "engine/RateMeter.h"
#include "engine/RequestIdentity.h"
#include "engine/SegmentFiles.h"
#include "engine/SegmentTable.h"

#include <QElapsedTimer>
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class RateLimiter;

// The HTTP transfer of a probed file over the segment table, each segment
// writing its bytes at their own offsets. With one connection a single GET
// asks for the rest of the file. With several, each connection asks for its
// range piece by piece (a GET with a bounded range each), and a connection
// that has fetched its range takes over part of the largest range left that
// no connection has asked for yet, where that ends the download sooner: so
// the server never sends a byte twice. A server that mishandles ranges gets
// one request for the whole file.
class SegmentedTransfer : public QObject {
    Q_OBJECT
public:
    // A part of a range is taken over by an idle connection only when it has
    // more than this: less is fetched sooner where it is than by a new
    // connection.
    static constexpr qint64 kMinimumTakeOver = 32 * 1024;
    // What a new connection costs before its first byte, in seconds.
    static constexpr double kConnectionSetupSeconds = 0.2;
    // The first piece a connection asks for, and the least. Each later one
    // is what the connection fetches in kPieceSeconds at the rate of its last
    // request, and at most four times what that request brought (a server's
    // first burst makes a short request look faster than the connection is):
    // a connection keeps a few seconds of work to itself, and a fast one soon
    // asks for large pieces, so that it rarely needs a new request.
    static constexpr qint64 kFirstPiece = 256 * 1024;
    static constexpr double kPieceSeconds = 2.0;

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
    // Every request carries `identity`'s lines (it must outlive the transfer).
    void setIdentity(const RequestIdentity* identity) { identity_ = identity; }
    // Ranges are off for the rest of this download.
    bool rangeless() const { return rangeless_; }
    void allowRanges() { rangeless_ = false; }

    // Segment 0 goes on with `connection`, whose reply to a request from the
    // file's first byte (a 206 of a piece, or a 200 of the whole file) has
    // its header read and its body still to come; nothing when it is null.
    // False when the file can not be opened (the failure is told).
    bool takeFirstReply(std::unique_ptr<HttpConnection> connection);
    // Connects every segment that has bytes left and no connection open.
    void connectAll();
    void closeAll();
    // Forgets the failures of the last run (a resume goes on).
    void clearFailures() { failed_.fill(false); }
    // The per-segment rates start again from where each segment stands.
    void resetRates();
    // Notes each segment's progress for its rate (every half second).
    void tickRates();

private:
    HttpConnection::Callbacks callbacksFor(int i);
    void connectSegment(int i);
    void header(int i);
    void body(int i, const char* data, qsizetype size);
    void ended(int i, bool complete);
    void restartFromZero();
    void takeOverWork(int i);
    // Connects segment i once the handler running now has returned.
    void connectSoon(int i);
    // The bytes segment i's next request asks for, at most.
    qint64 nextPiece(int i) const;
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
    const RequestIdentity* identity_ = nullptr;
    std::array<std::unique_ptr<HttpConnection>, SegmentTable::kMaxSegments> connections_;
    std::array<bool, SegmentTable::kMaxSegments> failed_ {};
    std::array<RateMeter, SegmentTable::kMaxSegments> rates_;
    // The bytes each segment's request has brought so far (0 before the
    // first), and the time since it was sent.
    std::array<qint64, SegmentTable::kMaxSegments> fetched_ {};
    std::array<QElapsedTimer, SegmentTable::kMaxSegments> askedAt_;
    bool rangeless_ = false;
};
