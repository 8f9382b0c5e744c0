#pragma once

#include "fileshare/http/AccessLogLine.h"
#include "fileshare/http/HttpResponse.h"
#include "fileshare/http/ServerLimits.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <string>

class SiteResponder;

// One client connection of the server: reads request heads, answers them in
// order (keep-alive and pipelining included) and writes each answer without
// blocking, file bodies through sendfile. The socket is non-blocking and
// registered edge-triggered, so `drive` works until the socket would block.
// When the connection ends after an answer, it lingers: the sending side is
// shut, so the client sees the end at once, and input is dropped until the
// client closes (ServerLimits::lingerMs).
class ClientConnection {
public:
    // `limits` outlive the connection.
    ClientConnection(int socket, std::uint32_t clientAddress, std::int64_t nowMs, const ServerLimits& limits);

    int socket() const { return socket_.get(); }
    std::uint32_t clientAddress() const { return clientAddress_; }
    // Where the connection stands. Waiting: nothing of a request has arrived
    // since the client connected or the last answer went out, so closing the
    // connection loses nothing. ReadingHead: part of a request head has.
    // Answering: an answer is being written. Lingering: the last answer is
    // out and the connection ends.
    enum class Stage { Waiting, ReadingHead, Answering, Lingering };
    Stage stage() const;

    // Wait: for more input; WaitToWrite: for room to write the answer.
    enum class Next { Wait, WaitToWrite, Close };
    // Does all the socket allows now; answered requests add a line to `log`.
    Next drive(const SiteResponder& responder, std::string& log, std::int64_t nowMs);

    // No progress within the time-out, or a request head not complete within
    // its own.
    bool expired(std::int64_t nowMs) const;

private:
    enum class ReadResult { Data, Blocked, Closed };
    enum class WriteResult { Done, Blocked, Failed };

    // One receive into `into`; on Data, `received` bytes came.
    ReadResult receive(char* into, std::size_t size, std::size_t& received);
    ReadResult readMore(std::int64_t nowMs);
    // Shuts the sending side after the last answer and starts dropping input.
    Next startLingering(std::int64_t nowMs);
    Next dropInput(std::int64_t nowMs);
    // Parses the buffered input; true when an answer is ready to be written.
    bool answerBufferedRequest(const SiteResponder& responder);
    WriteResult writeMore(std::int64_t nowMs);
    std::string firstLineOfInput() const;

    UniqueFd socket_;
    std::uint32_t clientAddress_;
    const ServerLimits& limits_;
    std::int64_t deadlineMs_;
    std::string input_;
    // When the first byte of the request head in input_ came.
    std::int64_t headStartMs_ = 0;
    bool writing_ = false;
    bool lingering_ = false;
    std::int64_t lingerEndMs_ = 0;
    std::uint64_t dropped_ = 0;
    bool noDelay_ = false;
    HttpResponse response_;
    std::size_t headSent_ = 0;
    std::size_t bodySent_ = 0;
    std::uint64_t fileSent_ = 0;
    AccessLogLine logLine_;
};
