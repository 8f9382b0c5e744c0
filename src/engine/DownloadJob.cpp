#include "engine/DownloadJob.h"

#include "core/Formatting.h"
#include "core/ProgramTitle.h"
#include "core/TextReadSession.h"
#include "engine/HttpRequest.h"
#include "engine/RequestOptionsFile.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDefaults.h"

#include <QFileInfo>

#include <utility>

namespace {

const QString kNoRate = QStringLiteral("0 Bytes/Second");
const QString kTimedOut = QStringLiteral("Connection has timed out.");

} // namespace

DownloadJob::DownloadJob(KevaContext& context, JobList& jobs, QObject* parent)
    : QObject(parent)
    , context_(context)
    , jobs_(jobs)
    , connections_(ConnectionFactory::network())
    , target_(context.text, segments_, files_,
              {[this](const QString& message) { fail(message); },
               [this](const QString& status) { setStatus(status, false); },
               // The row follows the address the resume data now belongs to.
               [this] { setRow(JobColumn::Url, URL); },
               [this](const QString& message) {
                   fail(message);
                   emit otherFileAtNewAddress();
               }})
    , retry_(reconnects_, context.appSettings, context.text,
             {[this](const QString& message) { fail(message); },
              [this](const QString& notice) {
                  emit retryScheduled(notice);
                  setStatus(notice, false);
                  setRowStatus(notice);
              },
              [this] {
                  // The wait is over: the status says so.
                  const QString downloading = text("11051", QStringLiteral("Downloading"));
                  setStatus(downloading, false);
                  setRowStatus(downloading);
              },
              [this] { return transferGoesOn(); }})
    , timeOut_(context.appSettings,
               {[this](int secondsLeft) {
                    view_.lblTimer = text("04018", QStringLiteral("Timeout: %1 sec.")).arg(secondsLeft);
                    showChanges();
                },
                [this] { timedOut(); }})
    , http_(*this)
    , ftp_(*this)
{
    tmrUpdate_.setInterval(500);
    tmrReconnect_.setInterval(100);
    connect(&tmrUpdate_, &QTimer::timeout, this, &DownloadJob::tmrUpdate_Timer);
    connect(&tmrReconnect_, &QTimer::timeout, this, &DownloadJob::tmrReconnect_Timer);
    connect(&checksum_, &FileChecksum::finished, this, &DownloadJob::checksumComputed);
    SetCaptions();
}

DownloadJob::~DownloadJob()
{
    CloseConnections();
    saveResumeState();
    files_.closeAll();
}

void DownloadJob::setTarget(const QString& url, const QString& savePath, const UrlParts& parts)
{
    URL = url;
    parts_ = parts;
    target_.setPath(savePath);
}

void DownloadJob::setLimiter(RateLimiter* limiter)
{
    http_.setLimiter(limiter);
    ftp_.setLimiter(limiter);
}

const AppSettings& DownloadJob::settings() const
{
    return context_.appSettings;
}

const TextLookup& DownloadJob::texts() const
{
    return context_.text;
}

QString DownloadJob::text(const char* key, const QString& fallback) const
{
    return context_.text.GetText(QString::fromLatin1(key), fallback);
}

const UrlParts& DownloadJob::moveTo(const QString& url)
{
    URL = url;
    view_.txtURL = url;
    parts_ = SplitUrl(url, context_.dialogSettings.lstLogin);
    return parts_;
}

void DownloadJob::tell(const QString& message, const QString& title)
{
    context_.prompter.tell(message, title, Prompter::Icon::Exclamation);
}

void DownloadJob::setPhase(JobPhase phase)
{
    phase_ = phase;
    view_.showPhase(phase);
    showChanges();
}

void DownloadJob::setStatus(const QString& status, bool isError)
{
    view_.lblStatus = status;
    view_.lblStatusIsError = isError;
    emit statusShown(status, isError);
    showChanges();
}

void DownloadJob::setRowStatus(const QString& status)
{
    setRow(JobColumn::Status, status);
    emit statusShown(status, false);
}

void DownloadJob::showSize()
{
    view_.lblFileSize = ContentLength >= 0 ? FormatSize(static_cast<double>(ContentLength)) : QStringLiteral("N/A");
    setRow(JobColumn::Size, view_.lblFileSize);
}

// ---------------------------------------------------------------------------
// Start, pause, stop

void DownloadJob::StartDownload(FileExistsChoice existing)
{
    tmrReconnect_.stop();
    completionQueued_ = succeeded_ = false;
    check_ = Check::None;
    ++view_.starts;
    proxies_ = ProxyPolicy(context_.appSettings, ProxyPolicy::processVariables());
    // Through a proxy an ftp:// file is asked of the proxy over HTTP.
    overFtp_ = parts_.IsFTP && !proxies_.routeFor(parts_);
    // The choice is this job's own from here on, whatever later starts choose.
    target_.begin(URL, existing);
    if (std::exchange(newAddress_, false))
        target_.keepFileOfOtherAddress();
    // A start after a restart asks with what the download was given then.
    if (options_.isEmpty())
        options_ = RequestOptionsFile::load(savePath(), URL).value_or(RequestOptions());
    if (target_.choice() == FileExistsChoice::Keep) {
        unload();
        return;
    }
    setPhase(JobPhase::Probing);
    view_.visible = true;
    view_.txtURL = URL;
    view_.txtSaveTo = savePath();
    if (QFileInfo(savePath()).isDir()) {
        fail(text("11080", QStringLiteral("%1 is a folder, so the file can not be saved under that name."))
                 .arg(context_.text.leftToRight(savePath())));
        return;
    }
    target_.prepare();
    view_.cmdOpenVisible = view_.cmdGotoDirVisible = false;
    // The row names the file this start writes, also when it fails before
    // the server answers (a later resume or new address goes by the row).
    setRow(JobColumn::SavePath, savePath());
    if (overFtp_) {
        ContentLength = -1;
        ftp_.start(target_.choice() == FileExistsChoice::Resume);
        showChanges();
        return;
    }
    http_.start();
    restartTimeOut();
    showChanges();
}

void DownloadJob::Pause_Resume()
{
    // A stopped job stays stopped, and a closed window's job is over.
    if (isFileDownloaded() || phase_ == JobPhase::Completed || phase_ == JobPhase::Stopped
        || phase_ == JobPhase::Closed)
        return;
    if (!isPaused()) {
        CloseConnections();
        setPhase(JobPhase::Paused);
        saveResumeState();
        setRowStatus(text("11055", QStringLiteral("Paused/Stopped")));
        return;
    }
    setRowStatus(text("11051", QStringLiteral("Downloading")));
    reconnects_.reset(receivedBytes());
    progress_.reset(receivedBytes());
    if (overFtp_) {
        setPhase(JobPhase::Probing);
        ftp_.resume();
        tmrUpdate_.start();
        return;
    }
    http_.resume();
}

void DownloadJob::StopMe()
{
    if (phase_ == JobPhase::Stopped || phase_ == JobPhase::Completed || phase_ == JobPhase::NotFound
        || phase_ == JobPhase::Failed || isFileDownloaded()) {
        unload();
        return;
    }
    // A segmented download goes on later from its resume data; only where
    // that cannot be written is the user warned (with nothing received,
    // nothing is lost).
    if (segments_.NumSegments > 0 && receivedBytes() > 0 && !saveResumeState()) {
        const auto answer = context_.prompter.ask(
            text("13021", QStringLiteral("you will not be able to resume this file later(Segmented mode only), Stop?")),
            kProgramTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo);
        // The job may have ended while the question was open.
        if (answer != Prompter::Answer::Yes || phase_ == JobPhase::Completed || phase_ == JobPhase::Stopped
            || phase_ == JobPhase::Closed || isFileDownloaded())
            return;
    }
    FinishTransfer();
}

void DownloadJob::CloseConnections()
{
    tmrUpdate_.stop();
    retry_.cancel();
    CurrentRate = 0;
    view_.lblTransferRate = kNoRate;
    view_.lblTimeRemaining.clear();
    http_.close();
    ftp_.close();
}

void DownloadJob::FinishTransfer()
{
    const TextReadSession session(context_.text);
    CloseConnections();
    saveResumeState();
    timeOut_.stop();
    const qint64 received = std::max<qint64>(0, receivedBytes());
    const bool whole = isFileDownloaded();
    const bool wasFailed = failed();
    view_.ProgressBar1 = ProgressMeter::percent(received, ContentLength);
    // Only a file that has every byte is a success: a stopped one keeps its
    // bars where they stand and offers nothing to open.
    if (whole && segments_.NumSegments > 0)
        view_.PVProgressBar.fill(100);
    files_.closeAll();
    target_.removeIfEmpty(succeeded_);
    if (phase_ != JobPhase::Completed)
        setPhase(JobPhase::Stopped);
    view_.cmdPauseEnabled = false;
    view_.lblRecievedSize = FormatSize(static_cast<double>(received));
    view_.lblTimeRemaining = whole ? FormatDuration(0) : QString();
    view_.cmdOpenVisible = view_.cmdGotoDirVisible = whole;
    setRow(JobColumn::Received, view_.lblRecievedSize);
    if (whole && check_ == Check::Matched) {
        const QString verified =
            text("11091", QStringLiteral("Checksum verified (%1)")).arg(options_.checksum->displayName());
        setStatus(verified, false);
        setRowStatus(verified);
    } else if (whole) {
        setStatus(text("11046", QStringLiteral("Transfer Completed...")), false);
        setRowStatus(text("11052", QStringLiteral("Download Success")));
    } else if (!wasFailed) {
        // Stopped, or the window closed: the row says so too, so that it no
        // longer counts as a running download.
        const QString stopped = text("11055", QStringLiteral("Paused/Stopped"));
        setStatus(stopped, false);
        setRowStatus(stopped);
    }
    showChanges();
}

void DownloadJob::unload()
{
    // A file being checked is finished by the check's result.
    if (phase_ != JobPhase::Stopped && phase_ != JobPhase::Completed && phase_ != JobPhase::Closed && view_.visible
        && check_ != Check::Running)
        FinishTransfer();
    tmrReconnect_.stop();
    timeOut_.stop();
    view_.visible = false;
    setPhase(JobPhase::Closed);
    emit unloaded();
}

void DownloadJob::SetCaptions()
{
    view_.readCaptions(context_.text);
    // Only the texts change: the buttons stay as enabled as they were.
    const bool pauseEnabled = view_.cmdPauseEnabled;
    const bool stopEnabled = view_.cmdStopEnabled;
    view_.showPhase(phase_);
    view_.cmdPauseEnabled = pauseEnabled;
    view_.cmdStopEnabled = stopEnabled;
    showChanges();
}

void DownloadJob::cmdOpen_Click()
{
    context_.shell.open(savePath());
}

void DownloadJob::cmdGotoDir_Click()
{
    context_.shell.open(QFileInfo(savePath()).absolutePath());
}

void DownloadJob::interactdata_mnu_Click()
{
    emit serverDataRequested(InteractionLog);
}

void DownloadJob::fail(const QString& message)
{
    CloseConnections();
    setPhase(JobPhase::Failed);
    saveResumeState();
    files_.closeAll();
    target_.removeIfEmpty(succeeded_);
    timeOut_.stop();
    setStatus(message, true);
    setRow(JobColumn::Status, message);
    setRow(JobColumn::Percent, QStringLiteral("0 %"));
    emit failedWith(message);
}

// A failed write would fail again at once. The resume data written last is
// kept, so the download goes on once the cause is mended.
void DownloadJob::writeFailed(const QString& error)
{
    fail(text("11064", QStringLiteral("Could not write to %1: %2")).arg(context_.text.leftToRight(savePath()), error));
}

void DownloadJob::fileNotFound()
{
    const QString notFound = text("11042", QStringLiteral("File Not Found"));
    timeOut_.stop();
    view_.showTimer(false);
    setPhase(JobPhase::NotFound);
    setStatus(notFound, true);
    setRow(JobColumn::Status, notFound);
    emit failedWith(notFound);
}

// Only a download of known size whose bytes can be asked from a position
// (ranges over HTTP, REST over FTP) can go on from where its segments stand,
// and only once a byte is in place: until then there is nothing to keep.
bool DownloadJob::keepsResumeData() const
{
    return (overFtp_ ? ftp_.resumable() : http_.resumable()) && !succeeded_ && receivedBytes() > 0;
}

bool DownloadJob::saveResumeState()
{
    return keepsResumeData() && target_.resumeData().save(ContentLength, segments_, files_);
}

void DownloadJob::restart()
{
    const ReconnectPolicy kept = reconnects_;
    Pause_Resume();
    Pause_Resume();
    reconnects_ = kept;
}

void DownloadJob::startWatchdog()
{
    if (!context_.appSettings.StopResume)
        return;
    watchdog_.start();
    tmrReconnect_.setInterval(watchdog_.intervalMs());
    tmrReconnect_.start();
}

void DownloadJob::transferBegins()
{
    reconnects_.reset(receivedBytes());
    progress_.reset(receivedBytes());
    setRowStatus(text("11051", QStringLiteral("Downloading")));
}

// ---------------------------------------------------------------------------
// Progress

void DownloadJob::Update(int index)
{
    if (ContentLength <= 0)
        return;
    view_.showProgress(segments_, ContentLength, index, parts_.FileName);
    const bool whole = isFileDownloaded();
    if (whole) {
        // Every byte is on disk before the row says 100%; a write that fails
        // here keeps complete() from calling it a success.
        QString ignored;
        files_.flush(&ignored);
    }
    setRow(JobColumn::Percent, QString::number(view_.ProgressBar1) + QLatin1Char('%'));
    // Resume data as the transfer goes (see ResumeState::saveNowAndThen).
    if (whole)
        checkCompletionSoon();
    else if (keepsResumeData())
        target_.resumeData().saveNowAndThen(ContentLength, segments_, files_);
    showChanges();
}

void DownloadJob::checkCompletionSoon()
{
    if (completionQueued_)
        return;
    completionQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        completionQueued_ = false;
        if (isFileDownloaded() && !succeeded_)
            tmrUpdate_Timer();
    });
}

// ---------------------------------------------------------------------------
// Timers

void DownloadJob::tmrUpdate_Timer()
{
    if (isFileDownloaded()) {
        complete();
        return;
    }
    const qint64 received = receivedBytes();
    const ProgressMeter::Shown shown = progress_.tick(received, ContentLength);
    http_.tick();
    view_.lblRecievedSize = shown.received;
    view_.lblTransferRate = shown.rate;
    view_.lblTimeRemaining = shown.timeLeft;
    view_.lblElapsedTime = shown.elapsed;
    CurrentRate = shown.bytesPerSecond;
    watchdog_.seen(TotalReceived());
    setRow(JobColumn::Received, view_.lblRecievedSize);
    showChanges();
}

void DownloadJob::complete()
{
    if (succeeded_ || check_ == Check::Running || check_ == Check::Failed)
        return;
    // Success means every byte is in the file.
    QString error;
    if (!files_.flush(&error) || !files_.intact()) {
        fail(text("11064", QStringLiteral("Could not write to %1: %2"))
                 .arg(context_.text.leftToRight(savePath()),
                      error.isEmpty() ? text("11065", QStringLiteral("a write failed")) : error));
        return;
    }
    if (options_.checksum && check_ != Check::Matched) {
        verifyChecksum();
        return;
    }
    succeeded_ = true;
    CloseConnections();
    target_.resumeData().remove();
    const qint64 bytes = receivedBytes();
    view_.ProgressBar1 = 100;
    view_.lblPer = QStringLiteral("100%");
    view_.caption = parts_.FileName + QStringLiteral(" [100%]");
    setRow(JobColumn::Percent, QStringLiteral("100%"));
    setPhase(JobPhase::Completed);
    FinishTransfer();
    tmrReconnect_.stop();

    context_.completions.count(bytes);
    CRegister reg(context_.registry);
    const auto hklm = RegistryRoot::HKEY_LOCAL_MACHINE;
    emit completedSuccessfully();

    if (reg.REGGetSetting(hklm, SettingsDefaults::kSettingsKey, QStringLiteral("PromptDone")) == QStringLiteral("1"))
        context_.prompter.tell(text("11031", QString()), kProgramTitle, Prompter::Icon::Information);
    if (reg.REGGetSetting(hklm, SettingsDefaults::kSettingsKey, QStringLiteral("CloseDownloadWindowWhenDone"))
        == QStringLiteral("1"))
        unload();
}

// The transfer is over while the file is hashed, off this thread.
void DownloadJob::verifyChecksum()
{
    CloseConnections();
    timeOut_.stop();
    tmrReconnect_.stop();
    check_ = Check::Running;
    const QString verifying = text("11090", QStringLiteral("Verifying checksum\u2026"));
    setStatus(verifying, false);
    setRowStatus(verifying);
    checksum_.start(savePath(), options_.checksum->hashAlgorithm());
}

// A file that does not match fails the job and stays under its name; it
// keeps no resume data, as every byte of it is in.
void DownloadJob::checksumComputed(const FileChecksum::Result& result)
{
    const QByteArray& expected = options_.checksum->hex;
    if (result.hex == expected) {
        check_ = Check::Matched;
        complete();
        return;
    }
    check_ = Check::Failed;
    fail(result.hex.isEmpty() ? text("11093", QStringLiteral("Could not read %1 to check its checksum: %2"))
                                    .arg(context_.text.leftToRight(savePath()), result.error)
                              : text("11092", QStringLiteral("Checksum mismatch: expected %1, got %2"))
                                    .arg(QString::fromLatin1(expected), QString::fromLatin1(result.hex)));
    target_.resumeData().remove();
}

// No retry of its own, but the user may resume with cmdPause, or stop and
// close the window.
void DownloadJob::timedOut()
{
    CloseConnections();
    setPhase(JobPhase::TimedOut);
    const QString timedOut = text("11079", kTimedOut);
    setStatus(timedOut, true);
    setRow(JobColumn::Percent, timedOut);
    setRow(JobColumn::Status, timedOut);
    emit failedWith(timedOut);
}

void DownloadJob::tmrReconnect_Timer()
{
    const qint64 current = TotalReceived();
    const bool resumable = http_.rangesSupported() && ContentLength >= 0;
    const bool stalled = watchdog_.tick(current, resumable, context_.appSettings);
    tmrReconnect_.setInterval(watchdog_.intervalMs());
    if (stalled)
        restart();
}
