#pragma once

#include "core/BrowserSession.h"
#include "core/SplitUrl.h"
#include "engine/ConnectionFactory.h"
#include "engine/DownloadDisplay.h"
#include "engine/FtpDownload.h"
#include "engine/HttpDownload.h"
#include "engine/JobList.h"
#include "engine/JobPhase.h"
#include "engine/ProgressMeter.h"
#include "engine/ProxyPolicy.h"
#include "engine/ReconnectPolicy.h"
#include "engine/ResumeState.h"
#include "engine/SegmentFiles.h"
#include "engine/SegmentTable.h"
#include "engine/StallWatchdog.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class KevaContext;
class RateLimiter;

// One download: what it fetches, where it stands, and everything its window
// shows. It runs without a window (the command-line front end drives it
// directly); frmDownload is a thin view over it.
//
// The job carries the phase, the display and the timers; its HTTP side
// (HttpDownload: the probe, then the segmented transfer) and its FTP side
// (FtpDownload: one login per start) do the protocol work. The resume data
// beside the file (ResumeState) keeps a download that stops or crashes.
// Timers refresh the progress, count down the connection time-out and watch
// for stalls.
class DownloadJob : public QObject {
    Q_OBJECT
public:
    DownloadJob(KevaContext& context, JobList& jobs, QObject* parent = nullptr);
    ~DownloadJob() override;

    // Set before StartDownload: what to fetch and where it goes, the slot
    // and the job-list row.
    void setTarget(const QString& url, const QString& savePath, const UrlParts& parts);
    void setJobIndex(int index) { JobIndex = index; }
    void setListRow(JobList::Row listRow) { row_ = listRow; }
    // Every read of the job's connections goes through `limiter` (it must outlive the job).
    void setLimiter(RateLimiter* limiter);
    // What the browser knew of the URL (empty for a URL from elsewhere).
    void setBrowserSession(const BrowserSession& session) { browser_ = session; }
    // Where the job's connections come from (tests script them).
    void setConnections(ConnectionFactory factory) { connections_ = std::move(factory); }

    const QString& url() const { return URL; }
    const QString& savePath() const { return SavePath; }
    const UrlParts& urlParts() const { return parts_; }
    const BrowserSession& browserSession() const { return browser_; }
    int jobIndex() const { return JobIndex; }
    JobList::Row listRow() const { return row_; }
    // Bytes a second over the last few seconds.
    double currentRate() const { return CurrentRate; }
    // The file size; -1 while it is not known.
    qint64 contentLength() const { return ContentLength; }
    const SegmentTable& segmentTable() const { return segments_; }
    // Every response header and FTP reply received, in order.
    const QString& interactionLog() const { return InteractionLog; }
    JobPhase phase() const { return phase_; }
    FtpStep ftpStep() const { return ftp_.step(); }
    quint16 ftpDataPort() const { return ftp_.dataPort(); }

    // What the window shows.
    using Display = DownloadDisplay;
    const Display& view() const { return view_; }

    // Operations.
    void StartDownload();
    bool isFileDownloaded() const;
    void Pause_Resume(); // a click on cmdPause
    void StopMe();       // a click on cmdStop
    void SetCaptions();
    void CloseConnections();
    void FinishTransfer();
    qint64 TotalReceived() const { return segments_.TotalReceived(); }
    void cmdOpen_Click();
    void cmdGotoDir_Click();
    void interactdata_mnu_Click();
    // Closes the window: the transfer is finished first.
    void unload();

    // Timer ticks, also called directly by tests.
    void tmrUpdate_Timer();
    void tmrTimeOut_Timer();
    void tmrReconnect_Timer();
    // The wait before the next try after a short reply is over.
    void tmrRetry_Timer();

    // The job is transferring (its progress timer runs).
    bool isTransferring() const { return tmrUpdate_.isActive(); }
    // The job connects or transfers: its slot is taken.
    bool isRunning() const { return transferGoesOn(); }
    // The window offers Resume.
    bool isPaused() const { return phaseOffersResume(phase_); }
    // A click on cmdPause would resume it.
    bool canResume() const { return phaseCanResume(phase_); }
    bool completed() const { return succeeded_; }
    bool failed() const;
    bool rangesSupported() const { return http_.rangesSupported(); }
    int reconnectAttempts() const { return watchdog_.attempts(); }
    int stalledSeconds() const { return watchdog_.stalledSeconds(); }
    int watchdogIntervalMs() const { return tmrReconnect_.interval(); }
    bool watchdogRunning() const { return tmrReconnect_.isActive(); }

signals:
    void displayChanged();
    // A status text was shown (in the window or in the job's row).
    void statusShown(const QString& text, bool isError);
    // A short reply is tried again after a wait: the text says why, which
    // try it is and how long the wait is (it is also the job's status).
    void retryScheduled(const QString& text);
    void completedSuccessfully();
    void failedWith(const QString& text);
    void unloaded();
    void serverDataRequested(const QString& log);

private:
    // The job's HTTP and FTP sides work on the job's own state.
    friend class HttpDownload;
    friend class FtpDownload;

    QString text(const char* key, const QString& fallback) const;
    void setPhase(JobPhase phase);
    void setStatus(const QString& text, bool isError);
    void setRowStatus(const QString& text);
    void setRow(int subItem, const QString& text);
    void changed() { emit displayChanged(); }
    void log(const QString& text);
    void restartTimeOut();
    bool transferGoesOn() const { return phaseRuns(phase_); }

    void startWatchdog();
    void transferBegins();
    void Update(int index);
    void showSize();
    void fail(const QString& message);
    // A connection ended before its bytes were all there: `again` runs after
    // the wait the reconnect policy gives, or the job fails when none is left.
    void retryShortReply(const std::function<void()>& again);
    // Resuming a file longer than the remote one would mix two files.
    bool refuseLongerLocalFile(qint64 remoteSize, bool resuming);
    // Acts on the resume data beside the file for a remote file of `size`
    // bytes: `record` is what the download goes on from, or nothing when it
    // starts again from 0 (saying why). Damaged data beside a file that has
    // bytes fails the job instead, leaving the file as it is: which of its
    // bytes are in place is not known. False when the job failed.
    bool takeResumeData(const ResumeFile::Loaded& loaded, qint64 size, std::optional<ResumeRecord>* record);
    // Creates the target when it is missing, remembering that the job made it.
    void createTarget();
    // A job that ends before a byte arrived leaves no empty file of its own behind.
    void removeEmptyTarget();
    // Writes the resume data; false when there is none to keep or it cannot
    // be written.
    bool saveResumeState();
    bool keepsResumeData() const;
    void restart();
    void writeFailed(const QString& error);
    void complete();
    void checkCompletionSoon();

    KevaContext& context_;
    JobList& jobs_;
    Display view_;

    QString URL;
    QString SavePath;
    QString requestedUrl_; // the address asked for, before any redirect
    UrlParts parts_;
    BrowserSession browser_;
    int JobIndex = 0;
    JobList::Row row_;
    QString InteractionLog;
    qint64 ContentLength = 0;
    double CurrentRate = 0;
    JobPhase phase_ = JobPhase::Idle;
    bool succeeded_ = false;
    int fileExistsAction_ = 0;   // this job's copy of the file-exists choice
    bool overFtp_ = false;       // FTP's own dialogue, not a proxy, fetches the file
    bool createdTarget_ = false; // this start made the target file

    ConnectionFactory connections_;
    ProxyPolicy proxies_; // set at each start from the settings and the environment
    RateLimiter* limiter_ = nullptr;
    SegmentTable segments_;
    SegmentFiles files_;
    HttpDownload http_;
    FtpDownload ftp_;
    ResumeState resume_;
    ReconnectPolicy reconnects_;
    ProgressMeter progress_;
    StallWatchdog watchdog_;

    QTimer tmrUpdate_;
    QTimer tmrTimeOut_;
    QTimer tmrReconnect_;
    QTimer tmrRetry_;
    // What goes on when tmrRetry_ fires: each connection that ended short.
    std::vector<std::function<void()>> retries_;
    bool retryShown_ = false; // the status tells of a wait before a retry
    int TimeoutLeft = 0;
    bool completionQueued_ = false;
};
