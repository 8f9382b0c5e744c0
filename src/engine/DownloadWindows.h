#pragma once

#include "engine/DownloadJob.h"
#include "engine/JobList.h"
#include "engine/RateLimiter.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class KevaContext;

// The table of download slots, 0 to 100, and the two ways a download enters
// it: StartJob (start now, in the slot of its row) and QueueJob (list only).
class DownloadWindows : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 101;

    DownloadWindows(KevaContext& context, JobList& jobs, QObject* parent = nullptr);
    ~DownloadWindows() override;

    DownloadJob* slot(int index) const;
    JobList& jobs() { return jobs_; }

    // Asks what to do with a target file that exists (0 overwrite, -1 resume,
    // -2 cancel). Without it, an existing file is overwritten.
    std::function<int(const QString& savePath)> askFileExists;
    // Shows a window over a job that starts; without it jobs run unseen.
    std::function<void(DownloadJob& job)> showWindow;

    // While a scheduled run restarts jobs, its choice for existing files
    // (1 overwrite, 2 resume, 3 skip) is used instead of asking.
    bool scheduleRun = false;
    int scheduleExistingFileChoice = 1;

    // Starts `url` into `savePath`. `row` is the job-list row to restart, or
    // -1 for a new row (then set to the new row's number). Returns the job,
    // or nothing when no slot is free or a new row's existing file is kept
    // (the user cancelled; nothing is listed). The question about an existing file
    // comes first, before a slot is taken: other URLs may start while it is
    // open, and each takes a slot of its own. `session` is what the browser
    // knew of the URL when it handed it over; the job sends it.
    DownloadJob* StartJob(const QString& url, const QString& savePath, int& row, const BrowserSession& session = {});
    // Lists `url` without starting it; gives its row.
    JobList::Row QueueJob(const QString& url, const QString& savePath);

signals:
    // A job finished, well or not: what its row says is final for now.
    void jobEnded();

private:
    int slotFor(int row) const;

    KevaContext& context_;
    JobList& jobs_;
    // The speed limit all jobs share; declared first, so it outlives them.
    RateLimiter limiter_;
    std::array<std::unique_ptr<DownloadJob>, kSlots> slots_;
};
