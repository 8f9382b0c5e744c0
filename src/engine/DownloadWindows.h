#pragma once

#include "core/SiteLogin.h"
#include "engine/ConnectionPool.h"
#include "engine/DownloadJob.h"
#include "engine/DownloadQueue.h"
#include "engine/JobList.h"
#include "engine/RateLimiter.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class KevaContext;

// The table of download slots, 0 to 100, and the ways a download enters it:
// StartJob (start now, in the slot of its row, or wait in the download queue
// while as many downloads run as it allows) and QueueJob (list only).
class DownloadWindows : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 101;
    // Whether a job that starts shows its download window.
    enum class Window { Shown, Hidden };

    DownloadWindows(KevaContext& context, JobList& jobs, QObject* parent = nullptr);
    ~DownloadWindows() override;

    DownloadJob* slot(int index) const;
    JobList& jobs() { return jobs_; }

    // Asks what to do with a target file that exists. Without it, an
    // existing file is overwritten.
    std::function<FileExistsChoice(const QString& savePath)> askFileExists;
    // Asks the user for a login for a server that wants one the job does not
    // have (see DownloadJob::askLogin); without it, such downloads fail.
    std::function<std::optional<SiteLogin>(const QString& server)> askLogin;
    // Shows a window over a job that starts (or that the user opens);
    // without it jobs run unseen.
    std::function<void(DownloadJob& job)> showWindow;
    // How many downloads may run at once (0: no limit). Without it every
    // start runs at once, as on the command line.
    std::function<int()> queueLimit;

    // While a scheduled run restarts jobs, its choice for existing files
    // is used instead of asking.
    bool scheduleRun = false;
    FileExistsChoice scheduleExistingFileChoice = FileExistsChoice::Overwrite;
    // Files take the names their servers give where the user left the name
    // to the address (off for a command line that names its file).
    bool serverFileNames = true;

    // Starts `url` into `savePath`. `row` is the job-list row to restart, or
    // -1 for a new row (then set to the new row's number). Returns the job,
    // or nothing when no slot is free or a new row's existing file is kept
    // (the user cancelled; nothing is listed). The question about an existing file
    // comes first, before a slot is taken: other URLs may start while it is
    // open, and each takes a slot of its own.
    //
    // A login in an http(s):// address ("user:password@") goes with the
    // job's requests, and a checksum in its fragment ("#sha256=HEX") checks
    // its file; both are left out of the address the row keeps. A job
    // whose file name is the address's takes the name the server gives.
    //
    // While the download queue is full, the download waits in it instead
    // (its row says "Queued"; nothing is returned) and starts without a
    // window when its turn comes.
    //
    // With `existing`, the caller has settled what to do with a file that
    // is there, and nobody is asked.
    DownloadJob* StartJob(const QString& url, const QString& savePath, int& row, const RequestOptions& options = {},
                          Window window = Window::Shown, std::optional<FileExistsChoice> existing = std::nullopt);
    // Takes the download of row `row` to `address` (its link expired, or
    // another server has the file) and starts it there. It goes on from its
    // resume data when the file there is the same (size, ETag and
    // Last-Modified), and the row then keeps the new address; otherwise the
    // job fails with the file left as it is, and the user is asked whether to
    // download it from the beginning at the new address. Returns the job, or
    // nothing when the row is gone or no slot is free.
    DownloadJob* ChangeAddress(int row, const QString& address);
    // Lists `url` without starting it; gives its row. The row keeps the
    // address without its login and checksum. With `later`, the download is
    // listed to be started later: the secrets it asks with and its checksum
    // (see keepForLater) are kept beside its file until then.
    JobList::Row QueueJob(const QString& url, const QString& savePath,
                          const std::optional<RequestOptions>& later = std::nullopt);
    // Keeps beside `savePath` the secrets a download of `url` listed for
    // later asks with (its login, cookies and the user's headers) and the
    // checksum it is checked against, so that no file is left beside the
    // rows of downloads that need none.
    static void keepForLater(const QString& url, const QString& savePath, const RequestOptions& options);
    // The download queue.
    // Whether one more download may run now.
    bool hasRoom() const;
    // Starts waiting downloads, first in the list first, while there is room
    // and the queue is not held. Also after the limit was raised.
    void startQueued();
    // Pause All and Stop All hold the queue; Resume All lets it go on.
    void holdQueue(bool held) { queueHeld_ = held; }
    // Start Now: the waiting download of `row` starts at once, past the
    // queue. False when the row does not wait.
    bool startNow(const JobList::Row& row);
    DownloadQueue& queue() { return queue_; }
    // A download runs or waits in the queue.
    bool busy() const { return runningCount() > 0 || queue_.hasWaiting(); }
    // The job of `row`, when a slot holds one.
    DownloadJob* jobOf(const JobList::Row& row) const;

    // What the last StartJob or QueueJob settled for an existing file: Keep
    // when the download did not start because its file is kept (or it was
    // only listed), Overwrite when nothing was settled (no free slot).
    FileExistsChoice lastStartChoice() const { return lastStartChoice_; }

signals:
    // A job finished, well or not: what its row says is final for now.
    void jobEnded();
    // A job starts, with its window or without.
    void jobStarting(DownloadJob& job);

private:
    int slotFor(int row) const;
    // Starts `url` into `savePath` in the job of `row` (-1: a new row), with
    // `action` settled for an existing file.
    DownloadJob* start(const QString& url, const QString& savePath, int& row, const RequestOptions& options,
                       FileExistsChoice action, Window window, bool newAddress = false);
    // Lists or marks the row of `url` as waiting in the queue.
    void wait(const QString& url, const QString& savePath, int& row, const RequestOptions& options,
              FileExistsChoice action);
    int runningCount() const;
    // A new row of `url` into `savePath`, nothing received yet.
    JobList::Row addRow(const QString& url, const QString& savePath, const QString& status);
    void offerStartAgain(DownloadJob& job);
    // What to do with the existing file `savePath`: what was `settled`
    // already, else asked (or the schedule's choice).
    FileExistsChoice existingFileAction(const QString& savePath,
                                        std::optional<FileExistsChoice> settled = std::nullopt) const;
    // The address without its login and checksum fragment, and `options`
    // with those when they have none of their own.
    static std::pair<QString, RequestOptions> ownParts(const QString& address, const RequestOptions& options);
    // Keeps the secrets and checksum of `options` (a download of `url`, its
    // login and checksum already taken out) beside `savePath`.
    static void keep(const QString& url, const QString& savePath, const RequestOptions& options);

    KevaContext& context_;
    JobList& jobs_;
    // The speed limit all jobs share; declared first, so it outlives them.
    RateLimiter limiter_;
    // The connections the jobs keep open for their next requests; it outlives them too.
    ConnectionPool pool_;
    std::array<std::unique_ptr<DownloadJob>, kSlots> slots_;
    DownloadQueue queue_;
    bool queueHeld_ = false;
    bool startingQueued_ = false;
    FileExistsChoice lastStartChoice_ = FileExistsChoice::Overwrite;
};
