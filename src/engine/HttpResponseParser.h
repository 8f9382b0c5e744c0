#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Reads one HTTP response from a connection, as its bytes arrive in pieces of
// any size: the status line and headers first (however they are split), then
// the body, framed by Content-Length, by the chunked transfer coding, or by
// the end of the connection. Interim 1xx responses are skipped. Body bytes
// are handed on without copying where possible.
class HttpResponseParser {
public:
    enum class State { Headers, Body, Complete, Failed };
    using BodySink = std::function<void(const char* data, qsizetype size)>;

    static constexpr qsizetype kMaxHeaderBytes = 64 * 1024;

    // Starts over for a new response; a reply to HEAD has no body.
    void reset(bool headRequest);

    // Consumes bytes of the connection; body bytes go to `sink`. Stops right
    // after the header block (so the caller can look at it before any body
    // byte) and at the end of the response. Returns the bytes consumed.
    qsizetype feed(const char* data, qsizetype size, const BodySink& sink);
    // The connection has ended: completes a body that runs to the end of the
    // connection, and fails anything else that is not complete.
    void connectionClosed();

    State state() const { return state_; }
    bool headersDone() const { return state_ == State::Body || state_ == State::Complete; }
    QString failure() const { return failure_; }

    int statusCode() const { return statusCode_; }
    QString statusLine() const { return statusLine_; }
    QString reasonPhrase() const;
    // The header block as received, without the blank line that ends it.
    QByteArray headerText() const { return headerText_; }
    // The value of a header (first occurrence; name without regard to case).
    std::optional<QByteArray> header(const QByteArray& name) const;
    // The values of every line of a header that may occur several times
    // (WWW-Authenticate), in the order received; empty when it is absent.
    QList<QByteArray> headers(const QByteArray& name) const;
    // The announced body length; nothing when the body is chunked or runs to the end.
    std::optional<qint64> contentLength() const { return contentLength_; }
    bool chunked() const { return chunked_; }
    // Body bytes delivered so far.
    qint64 bodyReceived() const { return bodyReceived_; }
    // Every body byte the Content-Length announced has been delivered: the
    // response ends with them.
    bool bodyDelivered() const { return contentLength_ && bodyReceived_ >= *contentLength_; }

private:
    void parseHeaders();
    void fail(const QString& why);
    qsizetype feedChunked(const char* data, qsizetype size, const BodySink& sink);
    void deliver(const char* data, qsizetype size, const BodySink& sink);

    enum class ChunkState { Size, Data, DataEnd, Trailer };

    bool headRequest_ = false;
    State state_ = State::Headers;
    QString failure_;
    QByteArray pending_; // header bytes, or a partial chunk-size line
    QByteArray headerText_;
    QString statusLine_;
    int statusCode_ = 0;
    std::optional<qint64> contentLength_;
    bool chunked_ = false;
    qint64 bodyLeft_ = 0; // identity body bytes still to come, or the rest of the current chunk
    qint64 bodyReceived_ = 0;
    ChunkState chunkState_ = ChunkState::Size;
};
