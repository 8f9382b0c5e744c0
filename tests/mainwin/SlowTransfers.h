#pragma once

#include "support/NginxServer.h"

#include <QString>
#include <QTemporaryDir>

class DownloadJob;
class DownloadWindows;

// A file of 1 MB that nginx sends at 20 kB/s per connection: jobs of it stay
// in their transfer while a test acts on them.
class SlowTransfers {
public:
    SlowTransfers();

    // Start it with KEVA_REQUIRE_PEER before the first job.
    NginxServer& server() { return nginx_; }
    // Starts a job of the file into `savePath` and waits until it transfers;
    // nothing when it does not within 20 s.
    DownloadJob* start(DownloadWindows& windows, const QString& savePath);
    // Waits until `job` has measured a rate above zero; false when it does
    // not within 10 s.
    static bool waitForRate(const DownloadJob& job);

private:
    QTemporaryDir root_;
    NginxServer nginx_;
};
