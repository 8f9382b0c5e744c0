#pragma once

#include "core/SplitUrl.h"
#include "engine/HttpProbe.h"
#include "engine/RequestIdentity.h"
#include "engine/SegmentedTransfer.h"

#include <QtGlobal>

#include <optional>

class ProtocolJob;
class RateLimiter;

// The HTTP side of a download job: the probe, then the file laid out in
// segments (or continued where its resume data or its length says) and
// fetched by the segmented transfer, whose first segment goes on with the
// probe's reply where that brings the file's first bytes.
class HttpDownload {
public:
    explicit HttpDownload(ProtocolJob& job);

    void setLimiter(RateLimiter* limiter) { transfer_.setLimiter(limiter); }
    // A new start: nothing is known of the remote file yet.
    void start();
    // A resume: the segments go on where they stand, or the probe runs again
    // when it never finished.
    void resume();
    void close();
    // Every half second, for the rates that decide take-overs.
    void tick() { transfer_.tickRates(); }
    bool rangesSupported() const { return rangesSupported_; }
    // The download can go on from its segments' positions after a stop.
    bool resumable() const;

private:
    bool probesWithHead() const;
    std::optional<UrlParts> redirected(const QString& url);
    void probed(const HttpProbe::Result& result);
    // Saves the file under the server's name `name` where the user left the
    // name to the address; false when the job cannot go on (the user keeps a
    // file of that name).
    bool takeServerName(const QString& name);
    void Check_Create(qint64 size);
    void rangesFailed();
    void networkError(int code, const QString& description);

    ProtocolJob& job_;
    RequestIdentity identity_;
    HttpProbe probe_;
    SegmentedTransfer transfer_;
    bool probed_ = false; // the file is laid out: a resume fetches, else it probes again
    bool rangesSupported_ = false;
};
