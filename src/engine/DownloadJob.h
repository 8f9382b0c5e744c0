#pragma once

#include "core/SplitUrl.h"
#include "engine/JobList.h"
#include "engine/RateMeter.h"
#include "engine/ReconnectPolicy.h"
#include "engine/ResumeFile.h"
#include "engine/SegmentTable.h"
#include "engine/StallWatchdog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class KevaContext;
class RateLimiter;
class SegmentConnection;
class FtpConnection;
struct FtpReply;

// One download: its fields, its connections, its file handles, its timers and
// everything its window shows. It runs without a window (the command-line
// front end drives it directly); frmDownload is a thin view over it.
//
// HTTP: a probe asks for the whole file as a range and learns the size and
// whether ranges work; then one GET per segment writes its bytes straight
// into the target file at their own offsets. Timers refresh the progress,
// count down the connection time-out and watch for stalls.
class DownloadJob : public QObject {
    Q_OBJECT
public:
    DownloadJob(KevaContext& context, JobList& jobs, QObject* parent = nullptr);
    ~DownloadJob() override;

    // Fields filled before StartDownload.
    qint64 ReceivedBytes = 0;
    qint64 FileSize = 0;
    double CurrentRate = 0;
    int JobIndex = 0;
    QString SavePath;
    QString URL;
    QString Server;
    QString FileName;
    QString UserName;
    QString Password;
    int Port = 0;
    QString RemotePath;
    bool IsHTTP = false;
    bool IsFTP = false;
    // The job's own row of the job list.
    JobList::Row row;

    void applyUrlParts(const UrlParts& parts);
    const QString& url() const { return URL; }
    const QString& savePath() const { return SavePath; }
    // Every read of the job's connections goes through `limiter` (it must outlive the job).
    void setLimiter(RateLimiter* limiter) { limiter_ = limiter; }

    // What the window shows.
    struct Display {
        QString caption = QStringLiteral("Download Window");
        QString txtURL;
        QString txtSaveTo;
        QString lblStatus;
        bool lblStatusIsError = false; // shown in red
        QString lblResume;
        enum class ResumeColor { Normal, Green, DarkRed } lblResumeColor = ResumeColor::Normal;
        QString lblFileSize;
        QString lblRecievedSize;
        QString lblTransferRate;
        QString lblTimeRemaining;
        QString lblElapsedTime;
        QString lblPer;
        QString lblTimer;
        bool lblTimerVisible = true;
        int ProgressBar1 = 0;
        bool ProgressBar1Visible = false;
        std::array<int, SegmentTable::kMaxSegments> PVProgressBar {};
        int segmentBarsVisible = 0;
        QString cmdPause;
        QString cmdStop;
        bool cmdPauseEnabled = true;
        bool cmdStopEnabled = true;
        bool cmdOpenVisible = false;
        bool cmdGotoDirVisible = false;
        bool rightToLeft = false;
        bool visible = false;
        // Counts the starts of the job; each new start puts the focus on cmdPause.
        unsigned starts = 0;
        // Captions set by SetCaptions.
        QString Frame2, Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8;
        QString cmdOpen, cmdGotoDir, cmdMore, interactdata_mnu;
    };
    const Display& view() const { return view_; }

    QString PauseCaption, ResumeCaption, StopCaption, CloseCaption;
    // Every response header received, in order.
    QString InteractionLog;
    // The file size; -1 while it is not known.
    qint64 ContentLength = 0;
    SegmentTable segments;

    // Operations.
    void StartDownload();
    void Check_Create(qint64 size);
    bool isFileDownloaded() const;
    void SetSegIndecies();
    void Update(int index);
    void Pause_Resume(); // a click on cmdPause
    void StopMe();       // a click on cmdStop
    void SetCaptions();
    // One reply of the FTP control connection.
    void StartLoginFTP(const FtpReply& reply);
    void CloseConnections();
    void FinishTransfer();
    qint64 TotalReceived() const { return segments.TotalReceived(); }
    void cmdOpen_Click();
    void cmdGotoDir_Click();
    void interactdata_mnu_Click();
    // Closes the window: the transfer is finished first.
    void unload();

    // Timer ticks, also called directly by tests.
    void tmrUpdate_Timer();
    void tmrTimeOut_Timer();
    void tmrReconnect_Timer();

    // The job is transferring (its progress timer runs).
    bool isTransferring() const { return tmrUpdate_.isActive(); }
    bool isPaused() const { return view_.cmdPause != PauseCaption; }
    bool completed() const { return completed_; }
    bool failed() const { return failed_; }
    bool rangesSupported() const { return rangesSupported_; }
    int reconnectAttempts() const { return watchdog_.attempts(); }
    int stalledSeconds() const { return watchdog_.stalledSeconds(); }
    int watchdogIntervalMs() const { return tmrReconnect_.interval(); }
    bool watchdogRunning() const { return tmrReconnect_.isActive(); }

    static constexpr int kMaxRedirects = 20;
    // A range is split for an idle connection only when more than this is left of
    // it: less is fetched sooner where it is than by a new connection.
    static constexpr qint64 kMinimumTakeOver = 64 * 1024;
    // What a new connection costs before its first byte, in seconds.
    static constexpr double kConnectionSetupSeconds = 0.2;

    // FTP: the last reply code acted on (0, 220, 331, 230, 227, 200, 350,
    // 150, 425, 504, 550).
    int FtpState = 0;
    bool PortSent = false;
    bool PasvDone = false;
    int DataPort = 0;
    // The job continues a partial file.
    bool Resuming = false;

signals:
    void displayChanged();
    // A status text was shown (in the window or in the job's row).
    void statusShown(const QString& text, bool isError);
    void completedSuccessfully();
    void failedWith(const QString& text);
    void unloaded();
    void serverDataRequested(const QString& log);

private:
    QString text(const char* key, const QString& fallback) const;
    void setStatus(const QString& text, bool isError);
    void setRowStatus(const QString& text);
    void setRow(int subItem, const QString& text);
    void changed() { emit displayChanged(); }

    void probe();
    void probeHeader();
    void probeEnded(bool complete);
    void probeError(const QString& description);
    void ParseHeadReply();
    void fail(const QString& message);
    // A connection ended before its bytes were all there: `again` runs after
    // the wait the reconnect policy gives, or the job fails when none is left.
    void retryShortReply(const std::function<void()>& again);
    // Resuming a file longer than the remote one would mix two files.
    bool refuseLongerLocalFile(qint64 remoteSize, bool resuming);
    // Why the resume data beside the file cannot be used; empty when it can.
    QString resumeRefusal(const ResumeFile::Loaded& loaded, qint64 size) const;
    // Writes the resume data; false when there is none to keep or it cannot
    // be written.
    bool saveResumeState();
    void restart();
    bool transferGoesOn() const { return !isPaused() && !completed_ && !failed_ && !finished_; }

    void connectSegment(int i);
    void segmentHeader(int i);
    void segmentBody(int i, const char* data, qsizetype size);
    void segmentEnded(int i, bool complete);
    void segmentError(int i, int code, const QString& description);
    void restartFromZero();
    void takeOverWork(int i);
    bool writeData(int i, const char* data, qsizetype size);

    void ftpConnect();
    void ftpSetUpData();
    void ftpData(const char* data, qsizetype size);
    void ftpDataClosed();
    void ftpCheckEnd();
    void ftpSendRetr();
    void ftpLoggedIn();
    void ftpLoginRefused();
    void ftpSendRestWhenReady();
    void ftpRestRefused();
    void ftpRetrReply(const FtpReply& reply);
    void ftpTransferStarts(const FtpReply& reply);
    void LayoutSegmentBars(int count);
    bool openSegmentFile(int i);
    void closeFiles();
    void complete();
    void checkCompletionSoon();

    KevaContext& context_;
    JobList& jobs_;
    Display view_;

    std::unique_ptr<SegmentConnection> WSHead;
    std::array<std::unique_ptr<SegmentConnection>, SegmentTable::kMaxSegments> wsHTTP;
    std::array<std::unique_ptr<QFile>, SegmentTable::kMaxSegments> SegFile;
    std::array<bool, SegmentTable::kMaxSegments> segmentFailed_ {};
    std::unique_ptr<FtpConnection> ftp_;
    bool ftpServerDone_ = false; // 226 received for this transfer
    // This login's progress: replies to TYPE I and PORT (active mode) come
    // in either order, and REST and RETR go out once each.
    bool ftpTypeSet_ = false;
    bool ftpPortAccepted_ = false;
    bool ftpRestSent_ = false;
    bool ftpRestAccepted_ = false;
    bool ftpRetrSent_ = false;

    QTimer tmrUpdate_;
    QTimer tmrTimeOut_;
    QTimer tmrReconnect_;

    RateLimiter* limiter_ = nullptr;
    ReconnectPolicy reconnects_;
    int fileExistsAction_ = 0;  // this job's copy of the file-exists choice
    QString requestedUrl_;      // the address asked for, before any redirect
    QByteArray etag_;           // the validators of the remote file
    QByteArray lastModified_;
    QElapsedTimer resumeSaved_; // since the resume data was last written
    RateMeter rateMeter_;
    std::array<RateMeter, SegmentTable::kMaxSegments> segmentRates_;
    void resetSegmentRates();
    StallWatchdog watchdog_;
    int TimeoutLeft = 0;
    double ElapsedSeconds = 0;
    int redirects_ = 0;
    bool probed_ = false; // the size is known: a resume fetches, else it probes again
    bool probeWithGet_ = false; // the server refused HEAD: probe with a GET whose body is not read
    bool rangesSupported_ = false;
    bool rangeless_ = false; // the server mishandles ranges: fetch the whole file without one
    bool completed_ = false;
    bool failed_ = false;
    bool finished_ = false;
    bool completionQueued_ = false;
};
