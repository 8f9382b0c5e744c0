#pragma once

#include "engine/DownloadWindows.h"
#include "engine/JobList.h"

#include <QString>

#include <functional>

class KevaContext;

// Runs downloads through DownloadWindows the way the program does, and waits
// (running the event loop) until each ends.
class JobRunner {
public:
    explicit JobRunner(KevaContext& context);

    struct Result {
        bool completed = false;
        QString failure; // the failure text, when the job failed
        DownloadJob* job = nullptr;
        bool timedOut = false;
    };

    // Starts `url` into `savePath`, answering the file-exists question with
    // `choice`, and waits up to `timeoutMs`.
    Result run(const QString& url, const QString& savePath, FileExistsChoice choice = FileExistsChoice::Overwrite,
               int timeoutMs = 30000);
    // Starts without waiting.
    DownloadJob* start(const QString& url, const QString& savePath,
                       FileExistsChoice choice = FileExistsChoice::Overwrite);
    // Waits until the job completes or fails.
    Result wait(DownloadJob* job, int timeoutMs = 30000);
    // Runs the event loop until `done` holds or `timeoutMs` have passed; says whether it holds.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs = 20000);

    JobList jobs;
    DownloadWindows windows;
    // What the jobs started from now on ask with beyond the program's own lines.
    RequestOptions options;
};
