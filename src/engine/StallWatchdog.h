#pragma once

#include <QtGlobal>

struct AppSettings;

// The stall watchdog of a download, fed with the bytes received at each of
// its ticks (and at the progress ticks in between, which count as its own
// for "nothing arrived since the last tick"). It says when a download that
// stopped receiving is to be paused and resumed, and how long until its next
// tick: the first comes after 100 ms, which adds nothing to the stall (it is
// rounded), then every 30 s, and every `RetryTime` seconds once it has
// restarted the download twice.
class StallWatchdog {
public:
    static constexpr int kFirstTickMs = 100;

    // Starts counting again from the first, short tick; the stall and the
    // attempts made so far are kept.
    void start() { intervalMs_ = kFirstTickMs; }
    // Bytes received, seen by a progress tick.
    void seen(qint64 received) { lastTotal_ = received; }
    // One tick with `received` bytes in; true when the download is to be
    // paused and resumed. `resumable`: the server takes ranges.
    bool tick(qint64 received, bool resumable, const AppSettings& settings);

    int intervalMs() const { return intervalMs_; }
    int stalledSeconds() const { return stalledSeconds_; }
    int attempts() const { return attempts_; }

private:
    int intervalMs_ = kFirstTickMs;
    qint64 lastTotal_ = 0;
    int stalledSeconds_ = 0;
    int attempts_ = 0;
};
