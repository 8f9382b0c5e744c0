#pragma once

#include "core/SplitUrl.h"
#include "engine/ConnectionFactory.h"
#include "engine/ConnectionTimeOut.h"
#include "engine/DownloadDisplay.h"
#include "engine/DownloadTarget.h"
#include "engine/FileChecksum.h"
#include "engine/FtpDownload.h"
#include "engine/HttpDownload.h"
#include "engine/JobList.h"
#include "engine/JobPhase.h"
#include "engine/ProgressMeter.h"
#include "engine/ProtocolJob.h"
#include "engine/ProxyPolicy.h"
#include "engine/ReconnectPolicy.h"
#include "engine/RequestOptions.h"
#include "engine/SegmentFiles.h"
#include "engine/SegmentTable.h"
#include "engine/ShortReplyRetry.h"
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
// (FtpDownload: one login per start) do the protocol work, through what the
// job offers them as a ProtocolJob. The target file (DownloadTarget) keeps
// the resume data beside it, for a download that stops or crashes.
// Timers refresh the progress, count down the connection time-out and watch
// for stalls.
class DownloadJob : public QObject, private ProtocolJob {
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
    // What the requests carry beyond the program's own lines: the browser's
    // session, the user's headers, a login for the link's host.
    void setRequestOptions(const RequestOptions& options) { options_ = options; }
    const RequestOptions& requestOptions() const override { return options_; }
    // The next start takes the download to a new address: its resume data,
    // written for the old one, is used when the file there is the same, and
    // otherwise the job fails (otherFileAtNewAddress) and leaves the file and
    // its resume data as they are.
    void moveToNewAddress() { newAddress_ = true; }
    // A click on cmdChangeAddress that gave `address`: the list's owner
    // starts the download there (DownloadWindows::ChangeAddress).
    void giveNewAddress(const QString& address) { emit newAddressGiven(address); }
    // The file takes the name the server gives it (Content-Disposition);
    // off where the user named the file.
    void setServerFileName(bool take) { serverFileName_ = take; }
    // Asks what to do with an existing file of the name the server gives;
    // without it, overwritten.
    std::function<FileExistsChoice(const QString& savePath)> askFileExists;
    // Asks the user for a login for `server`, which wants one that the job
    // does not have (or refused the one sent); nothing when the user gives
    // none. Without it, such a download fails with the server's answer.
    std::function<std::optional<SiteLogin>(const QString& server)> askLogin;
    // Where the job's connections come from (tests script them).
    void setConnections(ConnectionFactory factory) { connections_ = std::move(factory); }

    const QString& url() const override { return URL; }
    const QString& savePath() const { return target_.path(); }
    const UrlParts& urlParts() const override { return parts_; }
    int jobIndex() const { return JobIndex; }
    JobList::Row listRow() const { return row_; }
    // Bytes a second over the last few seconds.
    double currentRate() const { return CurrentRate; }
    // The file size; -1 while it is not known.
    qint64 contentLength() const override { return ContentLength; }
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
    // `existing` says what to do with a file already at the save path, as
    // the caller settled it (asked, or the schedule's choice).
    void StartDownload(FileExistsChoice existing = FileExistsChoice::Overwrite);
    bool isFileDownloaded() const override { return ContentLength >= 0 && receivedBytes() >= ContentLength; }
    void Pause_Resume(); // a click on cmdPause
    void StopMe();       // a click on cmdStop
    void SetCaptions();
    void CloseConnections();
    void FinishTransfer();
    qint64 TotalReceived() const { return segments_.TotalReceived(); }
    qint64 receivedBytes() const { return segments_.receivedBytes(); }
    void cmdOpen_Click();
    void cmdGotoDir_Click();
    void interactdata_mnu_Click();
    // Closes the window: the transfer is finished first.
    void unload();

    // Timer ticks, also called directly by tests.
    void tmrUpdate_Timer();
    void tmrTimeOut_Timer() { timeOut_.tick(); }
    void tmrReconnect_Timer();
    // The wait before the next try after a short reply is over.
    void tmrRetry_Timer() { retry_.waitOver(); }

    // The job is transferring (its progress timer runs).
    bool isTransferring() const { return tmrUpdate_.isActive(); }
    // The job connects or transfers: its slot is taken.
    bool isRunning() const { return transferGoesOn(); }
    // The window offers Resume.
    bool isPaused() const { return phaseOffersResume(phase_); }
    // A click on cmdPause would resume it.
    bool canResume() const { return phaseCanResume(phase_); }
    bool completed() const override { return succeeded_; }
    bool failed() const override
    {
        return phase_ == JobPhase::Failed || phase_ == JobPhase::TimedOut || phase_ == JobPhase::NotFound;
    }
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
    // After failedWith: the file at the new address is not the one the
    // download began with (see moveToNewAddress).
    void otherFileAtNewAddress();
    // The user gave the download a new address (its window's Change Address).
    void newAddressGiven(const QString& address);
    void unloaded();
    void serverDataRequested(const QString& log);

private:
    // What the HTTP and FTP sides use of the job.
    const AppSettings& settings() const override;
    const TextLookup& texts() const override;
    QString text(const char* key, const QString& fallback) const override;
    const ConnectionFactory& connections() const override { return connections_; }
    const ProxyPolicy& proxies() const override { return proxies_; }
    std::optional<SiteLogin> loginFor(const QString& server) override
    {
        return askLogin ? askLogin(server) : std::nullopt;
    }
    const UrlParts& moveTo(const QString& url) override;
    SegmentTable& segments() override { return segments_; }
    SegmentFiles& files() override { return files_; }
    DownloadTarget& target() override { return target_; }
    bool takesServerFileName() const override { return serverFileName_; }
    FileExistsChoice choiceForExisting(const QString& path) override
    {
        return askFileExists ? askFileExists(path) : FileExistsChoice::Overwrite;
    }
    void retarget(const QString& path, const QString& fileName, FileExistsChoice choice) override
    {
        target_.retarget(URL, path, choice);
        view_.txtSaveTo = path;
        parts_.FileName = fileName;
    }
    void sizeKnown(qint64 size) override
    {
        ContentLength = size;
        showSize();
    }
    void segmentProgressed(int index) override { Update(index); }
    bool saveResumeState() override;
    void setPhase(JobPhase phase) override;
    void setStatus(const QString& text, bool isError) override;
    void setRowStatus(const QString& text) override;
    void setRow(int subItem, const QString& text) override { jobs_.setSubItem(row_, subItem, text); }
    DownloadDisplay& display() override { return view_; }
    void showChanges() override { emit displayChanged(); }
    void log(const QString& header) override
    {
        InteractionLog += QStringLiteral("\r\n") + header + QStringLiteral("\r\n");
    }
    void logLine(const QString& line) override { InteractionLog += line + QStringLiteral("\r\n"); }
    void tell(const QString& message, const QString& title) override;
    bool transferGoesOn() const override { return phaseRuns(phase_); }
    void fail(const QString& message) override;
    // A write that failed (a full disk, a disk that went away) ends the job.
    void writeFailed(const QString& error) override;
    void fileNotFound() override;
    void restartTimeOut() override { timeOut_.restart(); }
    void renewTimeOut() override { timeOut_.renew(); }
    void stopTimeOut() override { timeOut_.stop(); }
    void startWatchdog() override;
    void transferBegins() override;
    void restartProgressMeter() override { progress_.reset(receivedBytes()); }
    void startUpdates() override { tmrUpdate_.start(); }
    void checkCompletionSoon() override;
    void retryShortReply(const std::function<void()>& again) override
    {
        retry_.retry(again, receivedBytes(), ContentLength);
    }
    // As two clicks on cmdPause: the tries the job has left are kept, unlike
    // a resume of the user's.
    void restart() override;

    void Update(int index);
    void showSize();
    bool keepsResumeData() const;
    void complete();
    // A download with a checksum is hashed once its last byte is in; only a
    // digest that matches completes it.
    void verifyChecksum();
    void checksumComputed(const FileChecksum::Result& result);
    void timedOut();

    KevaContext& context_;
    JobList& jobs_;
    Display view_;

    QString URL;
    UrlParts parts_;
    int JobIndex = 0;
    JobList::Row row_;
    QString InteractionLog;
    qint64 ContentLength = 0;
    double CurrentRate = 0;
    JobPhase phase_ = JobPhase::Idle;
    bool succeeded_ = false;
    bool overFtp_ = false; // FTP's own dialogue, not a proxy, fetches the file
    bool serverFileName_ = false;
    bool newAddress_ = false;
    RequestOptions options_;

    ConnectionFactory connections_;
    ProxyPolicy proxies_; // set at each start from the settings and the environment
    ReconnectPolicy reconnects_;
    SegmentTable segments_;
    SegmentFiles files_;
    DownloadTarget target_;
    ShortReplyRetry retry_;
    ConnectionTimeOut timeOut_;
    HttpDownload http_;
    FtpDownload ftp_;
    ProgressMeter progress_;
    StallWatchdog watchdog_;

    QTimer tmrUpdate_;
    QTimer tmrReconnect_;
    bool completionQueued_ = false;

    // Where the check of the complete file against its checksum stands.
    enum class Check { None, Running, Matched, Failed };
    Check check_ = Check::None;
    FileChecksum checksum_;
};
