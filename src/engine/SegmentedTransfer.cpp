#include "engine/SegmentedTransfer.h"

#include "engine/ContentRange.h"
#include "engine/HttpRequest.h"
#include "engine/HttpResponseParser.h"
#include "engine/HttpStatus.h"

#include <QTimer>

#include <algorithm>

SegmentedTransfer::SegmentedTransfer(SegmentTable& segments, SegmentFiles& files, const ConnectionFactory& factory,
                                     Callbacks callbacks, QObject* parent)
    : QObject(parent)
    , segments_(segments)
    , files_(files)
    , factory_(factory)
    , callbacks_(std::move(callbacks))
{
}

void SegmentedTransfer::setTarget(const UrlParts& parts, qint64 size, const std::optional<ProxyRoute>& route)
{
    parts_ = parts;
    size_ = size;
    route_ = route;
}

void SegmentedTransfer::connectAll()
{
    fetched_.fill(0);
    for (int i = 0; i < segments_.connections(); ++i) {
        const auto& connection = connections_[static_cast<std::size_t>(i)];
        if (!connection || !connection->isOpen())
            connectSegment(i);
    }
}

bool SegmentedTransfer::takeFirstReply(std::unique_ptr<HttpConnection> connection)
{
    if (!connection)
        return true;
    QString error;
    if (!files_.open(0, &error)) {
        // Kept, closed: this runs within the connection's own call.
        connection->close();
        connections_[0] = std::move(connection);
        callbacks_.onFail(error);
        return false;
    }
    connection->setCallbacks(callbacksFor(0));
    connection->setLimiter(limiter_);
    const HttpResponseParser& reply = connection->response();
    if (knownSize()) {
        // A 206 brings the piece it names, a 200 the whole file.
        qint64 end = segments_.segmentEnd(0);
        if (reply.statusCode() == 206) {
            if (const auto range = ContentRange::parse(reply.header("Content-Range").value_or(QByteArray())))
                end = std::min(end, range->last + 1);
        }
        segments_.SegAsked[0] = end;
    } else {
        segments_.SegPos[0] = 1;
        files_.truncate(0);
    }
    connections_[0] = std::move(connection);
    askedAt_[0].start();
    return true;
}

HttpConnection::Callbacks SegmentedTransfer::callbacksFor(int i)
{
    return {
        [this, i] { header(i); },
        [this, i](const char* data, qsizetype size) { body(i, data, size); },
        [this, i](bool complete) { ended(i, complete); },
        [this, i](int code, const QString& description) {
            connections_[static_cast<std::size_t>(i)]->close();
            // An untrusted certificate, or a proxy that refuses, stays so.
            if (HttpConnection::toldInFull(code))
                callbacks_.onFail(description);
            else
                callbacks_.onNetworkError(code, description);
        },
    };
}

void SegmentedTransfer::closeAll()
{
    for (auto& connection : connections_) {
        if (connection)
            connection->close();
    }
}

void SegmentedTransfer::resetRates()
{
    for (int i = 0; i < SegmentTable::kMaxSegments; ++i) {
        const auto at = static_cast<std::size_t>(i);
        rates_[at].reset(segments_.nextOffset(i) - segments_.SegStart[at]);
    }
}

void SegmentedTransfer::tickRates()
{
    for (int i = 0; i < segments_.connections(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        rates_[at].tick(segments_.nextOffset(i) - segments_.SegStart[at]);
    }
}

void SegmentedTransfer::connectSegment(int i)
{
    if (knownSize() && segments_.segmentDone(i))
        return;
    auto& connection = connections_[static_cast<std::size_t>(i)];
    if (!connection)
        connection = factory_.http(callbacksFor(i));
    connection->setLimiter(limiter_);
    QString error;
    if (!files_.open(i, &error)) {
        callbacks_.onFail(error);
        return;
    }
    const ProxyRoute* via = route_ ? &*route_ : nullptr;
    if (!knownSize() || rangeless_) {
        // Unknown size, or ranges that go wrong: the whole file on one
        // connection, to the end of the reply.
        segments_.SegPos[0] = 1;
        files_.truncate(0);
        connection->open(parts_, via, HttpRequest::get(parts_, nullptr, i, via, identity_), false);
        return;
    }
    const auto at = static_cast<std::size_t>(i);
    const qint64 first = segments_.requestStart(i);
    qint64 end = segments_.segmentEnd(i);
    if (segments_.NumSegments >= 2)
        end = std::min(end, first + nextPiece(i));
    segments_.SegAsked[at] = end;
    fetched_[at] = 0;
    askedAt_[at].start();
    const HttpRequest::Range range {first, end - 1};
    connection->open(parts_, via, HttpRequest::get(parts_, &range, i, via, identity_), false);
}

qint64 SegmentedTransfer::nextPiece(int i) const
{
    const auto at = static_cast<std::size_t>(i);
    const qint64 fetched = fetched_[at];
    if (fetched <= 0)
        return kFirstPiece;
    const double seconds = static_cast<double>(std::max<qint64>(askedAt_[at].elapsed(), 1)) / 1000.0;
    const auto atRate = static_cast<qint64>(static_cast<double>(fetched) / seconds * kPieceSeconds);
    return std::clamp(atRate, kFirstPiece, 4 * std::max(fetched, kFirstPiece));
}

void SegmentedTransfer::header(int i)
{
    const HttpResponseParser& reply = connections_[static_cast<std::size_t>(i)]->response();
    callbacks_.onHeader(QString::fromLatin1(reply.headerText()));
    const int code = reply.statusCode();
    const bool ranged = knownSize() && !rangeless_;
    const qint64 asked = ranged ? segments_.requestStart(i) : 0;

    if (code == 206) {
        const auto range = ContentRange::parse(reply.header("Content-Range").value_or(QByteArray()));
        if (range && range->first == asked && (ranged || range->coversWhole()))
            return;
        if (!ranged) {
            // Asked for the whole file without a range and given a part:
            // asking again would only bring the same part.
            callbacks_.onFail(
                QStringLiteral("The server answers a request for the whole file with a part of it (%1).")
                    .arg(QString::fromLatin1(reply.header("Content-Range").value_or("no Content-Range"))));
            return;
        }
        // A range other than the one asked for: its bytes belong elsewhere.
        restartFromZero();
        return;
    }
    if (code == 200) {
        // The whole file: right only where the request started at its beginning.
        if (asked == 0 && segments_.NumSegments == 0)
            return;
        restartFromZero();
        return;
    }
    // An error reply after a good probe ends the job: its body is no part
    // of the file, and asking again would only repeat it.
    failed_[static_cast<std::size_t>(i)] = true;
    callbacks_.onFail(HttpFailureText(code, reply.reasonPhrase()));
}

void SegmentedTransfer::restartFromZero()
{
    closeAll();
    rangeless_ = true;
    segments_.layoutSingle(size_);
    segments_.SegResume.fill(false);
    callbacks_.onRestartedFromZero();
    QString error;
    if (!files_.open(0, &error)) {
        callbacks_.onFail(error);
        return;
    }
    files_.truncate(0);
    connectSegment(0);
}

void SegmentedTransfer::body(int i, const char* data, qsizetype size)
{
    HttpConnection& connection = *connections_[static_cast<std::size_t>(i)];
    qint64 take = size;
    if (knownSize())
        take = std::min<qint64>(take, segments_.segmentEnd(i) - segments_.nextOffset(i));
    if (take <= 0) {
        connection.close();
        return;
    }
    if (!write(i, data, take))
        return;
    // A reply that ends with these bytes ends on its own, which keeps its
    // connection for the next request; any other stops here.
    if (knownSize() && segments_.segmentDone(i) && !connection.response().bodyDelivered()) {
        connection.close();
        takeOverWork(i);
    }
}

// Writes a piece of segment i at its position.
bool SegmentedTransfer::write(int i, const char* data, qsizetype size)
{
    QString error;
    if (!files_.write(i, segments_.nextOffset(i), data, size, &error)) {
        callbacks_.onWriteFailed(error);
        return false;
    }
    segments_.SegPos[static_cast<std::size_t>(i)] += size;
    fetched_[static_cast<std::size_t>(i)] += size;
    callbacks_.onProgress(i);
    return true;
}

void SegmentedTransfer::ended(int i, bool complete)
{
    const auto at = static_cast<std::size_t>(i);
    if (failed_[at])
        return;
    if (!knownSize()) {
        if (complete) {
            // The reply without a length has ended: now the size is known.
            size_ = segments_.nextOffset(0);
            segments_.setLength(size_);
            callbacks_.onLengthKnown(size_);
            callbacks_.onAllReceived();
        } else {
            callbacks_.onShortReply([this] { restartFromZero(); });
        }
        return;
    }
    if (segments_.receivedBytes() >= size_) {
        callbacks_.onAllReceived();
        return;
    }
    if (!callbacks_.goesOn())
        return;
    if (segments_.segmentDone(i)) {
        takeOverWork(i);
        return;
    }
    // The segment goes on from where it stands: with its next piece, or,
    // closed before the end of the piece, as a short reply.
    segments_.SegResume[at] = true;
    if (complete && segments_.nextOffset(i) >= segments_.SegAsked[at]) {
        connectSoon(i);
        return;
    }
    callbacks_.onShortReply([this, i] {
        if (!segments_.segmentDone(i) && !connections_[static_cast<std::size_t>(i)]->isOpen())
            connectSegment(i);
    });
}

// A connection that has fetched its range helps the slowest: it takes over
// the second half of the largest range still to fetch (or less, where the
// slow connection has asked for more than the first half), whose connection
// then stops where the taken part begins. No byte is asked for twice.
void SegmentedTransfer::takeOverWork(int i)
{
    if (rangeless_ || segments_.receivedBytes() >= size_ || !callbacks_.goesOn())
        return;
    // Only where it ends the download sooner: the slow range's rest at its own
    // rate against half of it at that rate, or at this connection's rate
    // after setting up a new connection.
    const auto worthIt = [this, i](int j, qint64 left) {
        const RateMeter& slow = rates_[static_cast<std::size_t>(j)];
        const RateMeter& fast = rates_[static_cast<std::size_t>(i)];
        if (!slow.measured() || !fast.measured())
            return false;
        if (slow.rate() <= 0)
            return true; // stalled
        const double half = static_cast<double>(left) / 2.0;
        const double asItIs = static_cast<double>(left) / slow.rate();
        const double split = std::max(half / slow.rate(), half / std::max(fast.rate(), 1.0) + kConnectionSetupSeconds);
        return split < 0.75 * asItIs;
    };
    const auto from = segments_.takeOverHalf(i, kMinimumTakeOver, worthIt);
    if (!from)
        return;
    callbacks_.onTakenOver(*from, i);
    connectSoon(i);
}

// The connection may be inside its own read handler: it opens anew once
// that has returned.
void SegmentedTransfer::connectSoon(int i)
{
    QTimer::singleShot(0, this, [this, i] {
        if (callbacks_.goesOn() && !segments_.segmentDone(i) && !connections_[static_cast<std::size_t>(i)]->isOpen())
            connectSegment(i);
    });
}
