#pragma once

#include "fileshare/http/AccessLogLine.h"
#include "fileshare/http/HttpResponse.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <string>

class SiteResponder;

// One client connection of the server: reads request heads, answers them in
// order (keep-alive and pipelining included) and writes each answer without
// blocking, file bodies through sendfile. The socket is non-blocking and
// registered edge-triggered, so `drive` works until the socket would block.
class HttpConnection {
public:
    HttpConnection(int socket, std::uint32_t clientAddress, std::int64_t nowMs, int timeoutMs);

    int socket() const { return socket_.get(); }
    std::uint32_t clientAddress() const { return clientAddress_; }
    // Nothing of a request has arrived since the client connected or since
    // the last answer went out: closing the connection loses nothing.
    bool waitingForRequest() const { return !writing_ && input_.empty(); }

    // Wait: for more input; WaitToWrite: for room to write the answer.
    enum class Next { Wait, WaitToWrite, Close };
    // Does all the socket allows now; answered requests add a line to `log`.
    Next drive(const SiteResponder& responder, std::string& log, std::int64_t nowMs);

    // No progress within the time-out.
    bool expired(std::int64_t nowMs) const { return nowMs >= deadlineMs_; }

private:
    enum class ReadResult { Data, Blocked, Closed };
    enum class WriteResult { Done, Blocked, Failed };

    ReadResult readMore();
    // Parses the buffered input; true when an answer is ready to be written.
    bool answerBufferedRequest(const SiteResponder& responder);
    WriteResult writeMore(std::int64_t nowMs);
    std::string firstLineOfInput() const;

    UniqueFd socket_;
    std::uint32_t clientAddress_;
    int timeoutMs_;
    std::int64_t deadlineMs_;
    std::string input_;
    bool writing_ = false;
    bool noDelay_ = false;
    HttpResponse response_;
    std::size_t headSent_ = 0;
    std::size_t bodySent_ = 0;
    std::uint64_t fileSent_ = 0;
    AccessLogLine logLine_;
};
