#include "engine/HttpResponseParser.h"

#include "engine/HttpStatus.h"

namespace {

const QByteArray kHeaderEnd = "\r\n\r\n";
constexpr qsizetype kMaxChunkLine = 4096;

} // namespace

void HttpResponseParser::reset(bool headRequest)
{
    *this = HttpResponseParser();
    headRequest_ = headRequest;
}

qsizetype HttpResponseParser::feed(const char* data, qsizetype size, const BodySink& sink)
{
    qsizetype used = 0;
    while (used < size) {
        switch (state_) {
        case State::Headers: {
            const qsizetype before = pending_.size();
            pending_.append(data + used, size - used);
            const qsizetype end = pending_.indexOf(kHeaderEnd, before > 3 ? before - 3 : 0);
            if (end < 0) {
                if (pending_.size() > kMaxHeaderBytes)
                    fail(QStringLiteral("The server's reply header is too large."));
                return size;
            }
            used += end + kHeaderEnd.size() - before;
            headerText_ = pending_.left(end);
            pending_.clear();
            parseHeaders();
            if (state_ != State::Headers)
                return used; // the caller looks at the header first
            break;           // an interim reply: the real header follows
        }
        case State::Body: {
            if (chunked_) {
                used += feedChunked(data + used, size - used, sink);
                break;
            }
            if (!contentLength_) {
                deliver(data + used, size - used, sink);
                return size;
            }
            const qsizetype take = static_cast<qsizetype>(std::min<qint64>(bodyLeft_, size - used));
            deliver(data + used, take, sink);
            bodyLeft_ -= take;
            if (bodyLeft_ == 0)
                state_ = State::Complete;
            return used + take;
        }
        case State::Complete:
        case State::Failed: return used;
        }
    }
    return used;
}

void HttpResponseParser::connectionClosed()
{
    if (state_ == State::Body && !chunked_ && !contentLength_)
        state_ = State::Complete;
    else if (state_ != State::Complete && state_ != State::Failed)
        fail(QStringLiteral("The server closed the connection before the reply was complete."));
}

QString HttpResponseParser::reasonPhrase() const
{
    const QStringList parts = statusLine_.split(QLatin1Char(' '));
    return parts.mid(2).join(QLatin1Char(' '));
}

std::optional<QByteArray> HttpResponseParser::header(const QByteArray& name) const
{
    const QList<QByteArray> values = headers(name);
    if (values.isEmpty())
        return std::nullopt;
    return values.first();
}

QList<QByteArray> HttpResponseParser::headers(const QByteArray& name) const
{
    QList<QByteArray> values;
    const QList<QByteArray> lines = headerText_.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            values.append(line.mid(colon + 1).trimmed());
    }
    return values;
}

void HttpResponseParser::parseHeaders()
{
    const qsizetype firstLineEnd = headerText_.indexOf('\n');
    statusLine_ = QString::fromLatin1(headerText_.left(firstLineEnd < 0 ? headerText_.size() : firstLineEnd)).trimmed();
    if (!statusLine_.startsWith(QStringLiteral("HTTP/"))) {
        fail(QStringLiteral("The server's reply is not HTTP."));
        return;
    }
    statusCode_ = GetStatusCode(statusLine_);
    if (statusCode_ >= 100 && statusCode_ < 200) {
        // An interim reply (100 Continue): the real one follows.
        headerText_.clear();
        statusLine_.clear();
        statusCode_ = 0;
        return;
    }
    if (const auto encoding = header("Transfer-Encoding"))
        chunked_ = encoding->toLower().contains("chunked");
    if (const auto length = header("Content-Length"); length && !chunked_) {
        bool ok = false;
        const qint64 value = length->toLongLong(&ok);
        if (!ok || value < 0) {
            fail(QStringLiteral("The server sent an invalid Content-Length."));
            return;
        }
        contentLength_ = value;
        bodyLeft_ = value;
    }
    const bool noBody = headRequest_ || statusCode_ == 204 || statusCode_ == 304;
    if (noBody || (contentLength_ && *contentLength_ == 0)) {
        state_ = State::Complete;
        return;
    }
    state_ = State::Body;
}

void HttpResponseParser::fail(const QString& why)
{
    state_ = State::Failed;
    failure_ = why;
}

qsizetype HttpResponseParser::feedChunked(const char* data, qsizetype size, const BodySink& sink)
{
    switch (chunkState_) {
    case ChunkState::Data: {
        const qsizetype take = static_cast<qsizetype>(std::min<qint64>(bodyLeft_, size));
        deliver(data, take, sink);
        bodyLeft_ -= take;
        if (bodyLeft_ == 0)
            chunkState_ = ChunkState::DataEnd;
        return take;
    }
    case ChunkState::Size:
    case ChunkState::DataEnd:
    case ChunkState::Trailer: {
        // These are lines: collect up to the next line feed.
        const char* newline = static_cast<const char*>(memchr(data, '\n', static_cast<size_t>(size)));
        const qsizetype used = newline ? newline - data + 1 : size;
        pending_.append(data, used);
        if (pending_.size() > kMaxChunkLine) {
            fail(QStringLiteral("The server sent a malformed chunked body."));
            return size;
        }
        if (!newline)
            return used;
        const QByteArray line = pending_.trimmed();
        pending_.clear();
        if (chunkState_ == ChunkState::DataEnd) {
            if (!line.isEmpty())
                fail(QStringLiteral("The server sent a malformed chunked body."));
            chunkState_ = ChunkState::Size;
        } else if (chunkState_ == ChunkState::Trailer) {
            if (line.isEmpty())
                state_ = State::Complete;
        } else {
            const QByteArray hex = line.left(line.indexOf(';') < 0 ? line.size() : line.indexOf(';')).trimmed();
            bool ok = false;
            const qint64 chunkSize = hex.toLongLong(&ok, 16);
            if (!ok || chunkSize < 0) {
                fail(QStringLiteral("The server sent a malformed chunked body."));
                return size;
            }
            bodyLeft_ = chunkSize;
            chunkState_ = chunkSize == 0 ? ChunkState::Trailer : ChunkState::Data;
        }
        return used;
    }
    }
    return size;
}

void HttpResponseParser::deliver(const char* data, qsizetype size, const BodySink& sink)
{
    if (size <= 0)
        return;
    bodyReceived_ += size;
    sink(data, size);
}
