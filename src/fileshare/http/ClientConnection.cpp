#include "fileshare/http/ClientConnection.h"

#include "fileshare/http/HttpRequestParser.h"
#include "fileshare/http/SiteResponder.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/uio.h>

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
constexpr std::size_t kMaxLoggedLine = 512;
// A lingering connection that sends more than this is closed at once: no
// request the server answered without reading it is worth more.
constexpr std::uint64_t kMaxDroppedBytes = 64 * 1024 * 1024;

} // namespace

ClientConnection::ClientConnection(int socket, std::uint32_t clientAddress, std::int64_t nowMs,
                                   const ServerLimits& limits)
    : socket_(socket)
    , clientAddress_(clientAddress)
    , limits_(limits)
    , deadlineMs_(nowMs + limits.timeoutMs)
{
}

ClientConnection::Stage ClientConnection::stage() const
{
    if (lingering_)
        return Stage::Lingering;
    if (writing_)
        return Stage::Answering;
    return input_.empty() ? Stage::Waiting : Stage::ReadingHead;
}

bool ClientConnection::expired(std::int64_t nowMs) const
{
    if (nowMs >= deadlineMs_)
        return true;
    if (stage() != Stage::ReadingHead)
        return false;
    const auto perKilobyte = static_cast<std::int64_t>(input_.size() * 1000 / 1024);
    return nowMs >= headStartMs_ + limits_.headTimeoutMs + perKilobyte;
}

ClientConnection::Next ClientConnection::drive(const SiteResponder& responder, std::string& log, std::int64_t nowMs)
{
    if (lingering_)
        return dropInput(nowMs);
    for (;;) {
        if (!writing_) {
            if (!answerBufferedRequest(responder)) {
                switch (readMore(nowMs)) {
                case ReadResult::Data: continue;
                case ReadResult::Blocked: return Next::Wait;
                case ReadResult::Closed: return Next::Close;
                }
            }
            writing_ = true;
            deadlineMs_ = nowMs + limits_.timeoutMs;
        }

        switch (writeMore(nowMs)) {
        case WriteResult::Blocked: return Next::WaitToWrite;
        case WriteResult::Failed: return Next::Close;
        case WriteResult::Done: break;
        }
        logLine_.bodyBytes = response_.bodyBytes();
        log += logLine_.format(std::time(nullptr));
        log += "\r\n";
        writing_ = false;
        deadlineMs_ = nowMs + limits_.timeoutMs;
        headStartMs_ = nowMs; // for the next request's bytes already in input_
        if (!response_.keepAlive)
            return startLingering(nowMs);
        if (!noDelay_) {
            // Later answers must not wait for the client's acknowledgement of
            // this one (Nagle): a first answer never does, so a connection
            // that closes after it is spared the call.
            const int on = 1;
            ::setsockopt(socket_.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            noDelay_ = true;
        }
        response_ = HttpResponse();
    }
}

ClientConnection::ReadResult ClientConnection::receive(char* into, std::size_t size, std::size_t& received)
{
    for (;;) {
        const ssize_t n = ::recv(socket_.get(), into, size, 0);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return ReadResult::Data;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return ReadResult::Blocked;
        return ReadResult::Closed;
    }
}

ClientConnection::ReadResult ClientConnection::readMore(std::int64_t nowMs)
{
    char chunk[kReadChunk];
    std::size_t received = 0;
    const ReadResult result = receive(chunk, sizeof chunk, received);
    if (result == ReadResult::Data) {
        if (input_.empty())
            headStartMs_ = nowMs;
        input_.append(chunk, received);
    }
    return result;
}

ClientConnection::Next ClientConnection::startLingering(std::int64_t nowMs)
{
    // The answer is queued whole; the end of the connection follows it, so
    // the client need not wait for the lingering to end.
    if (::shutdown(socket_.get(), SHUT_WR) != 0)
        return Next::Close;
    lingering_ = true;
    input_.clear();
    input_.shrink_to_fit();
    lingerEndMs_ = nowMs + limits_.timeoutMs;
    deadlineMs_ = std::min(lingerEndMs_, nowMs + limits_.lingerMs);
    return dropInput(nowMs);
}

ClientConnection::Next ClientConnection::dropInput(std::int64_t nowMs)
{
    char chunk[kReadChunk];
    for (;;) {
        std::size_t received = 0;
        switch (receive(chunk, sizeof chunk, received)) {
        case ReadResult::Data:
            dropped_ += received;
            if (dropped_ > kMaxDroppedBytes)
                return Next::Close;
            deadlineMs_ = std::min(lingerEndMs_, nowMs + limits_.lingerMs);
            break;
        case ReadResult::Blocked: return Next::Wait;
        case ReadResult::Closed: return Next::Close;
        }
    }
}

bool ClientConnection::answerBufferedRequest(const SiteResponder& responder)
{
    if (input_.empty())
        return false;
    HttpRequestParser::Result parsed = HttpRequestParser::parse(input_);
    if (parsed.status == HttpRequestParser::Status::NeedMore)
        return false;

    const std::time_t now = std::time(nullptr);
    logLine_ = AccessLogLine();
    logLine_.clientAddress = clientAddress_;
    if (parsed.status == HttpRequestParser::Status::Complete) {
        const ClientRequest& request = parsed.request;
        response_ = responder.respond(request, now);
        logLine_.userName = request.userName;
        logLine_.requestLine = request.requestLine;
        input_.erase(0, parsed.consumed);
    } else {
        // A head that cannot be read or is too large (400), or one in an HTTP
        // version this server does not speak (505): the connection closes,
        // since where the next request starts is unknown.
        const bool unsupported = parsed.status == HttpRequestParser::Status::UnsupportedVersion;
        const int version = parsed.request.version == 10 ? 10 : 11;
        response_ = responder.error(unsupported ? 505 : 400, version, false, true, now);
        logLine_.requestLine = parsed.request.requestLine.empty() ? firstLineOfInput() : parsed.request.requestLine;
        input_.clear();
    }
    logLine_.status = response_.status;
    headSent_ = 0;
    bodySent_ = 0;
    fileSent_ = 0;
    return true;
}

ClientConnection::WriteResult ClientConnection::writeMore(std::int64_t nowMs)
{
    const int fd = socket_.get();
    while (headSent_ < response_.head.size() || bodySent_ < response_.body.size()) {
        iovec parts[2] = {
            {response_.head.data() + headSent_, response_.head.size() - headSent_},
            {response_.body.data() + bodySent_, response_.body.size() - bodySent_},
        };
        msghdr message {};
        message.msg_iov = parts;
        message.msg_iovlen = 2;
        const int more = response_.fileLength > 0 ? MSG_MORE : 0;
        const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL | more);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return (errno == EAGAIN || errno == EWOULDBLOCK) ? WriteResult::Blocked : WriteResult::Failed;
        }
        auto sent = static_cast<std::size_t>(n);
        const std::size_t fromHead = std::min(sent, response_.head.size() - headSent_);
        headSent_ += fromHead;
        bodySent_ += sent - fromHead;
        deadlineMs_ = nowMs + limits_.timeoutMs;
    }
    while (fileSent_ < response_.fileLength) {
        auto offset = static_cast<off_t>(response_.fileOffset + fileSent_);
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(response_.fileLength - fileSent_, 1u << 30));
        const ssize_t n = ::sendfile(fd, response_.file.get(), &offset, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return (errno == EAGAIN || errno == EWOULDBLOCK) ? WriteResult::Blocked : WriteResult::Failed;
        }
        if (n == 0)
            return WriteResult::Failed; // the file shrank under us: the promised length cannot be kept
        fileSent_ += static_cast<std::uint64_t>(n);
        deadlineMs_ = nowMs + limits_.timeoutMs;
    }
    response_.file.close();
    return WriteResult::Done;
}

std::string ClientConnection::firstLineOfInput() const
{
    return input_.substr(0, std::min({input_.find_first_of("\r\n"), input_.size(), kMaxLoggedLine}));
}
