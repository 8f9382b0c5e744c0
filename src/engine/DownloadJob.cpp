#include "engine/DownloadJob.h"

#include "core/Formatting.h"
#include "engine/HttpRequest.h"
#include "engine/RequestOptionsFile.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsStore.h"

#include <QFileInfo>
#include <QProcessEnvironment>

namespace {

const QString kNoRate = QStringLiteral("0 Bytes/Second");
const QString kTimedOut = QStringLiteral("Connection has timed out.");

} // namespace

DownloadJob::DownloadJob(KevaContext& context, JobList& jobs, QObject* parent)
    : QObject(parent)
    , context_(context)
    , jobs_(jobs)
    , connections_(ConnectionFactory::network())
    , http_(*this)
    , ftp_(*this)
{
    tmrUpdate_.setInterval(500);
    tmrTimeOut_.setInterval(1000);
    tmrReconnect_.setInterval(100);
    tmrRetry_.setSingleShot(true);
    connect(&tmrUpdate_, &QTimer::timeout, this, &DownloadJob::tmrUpdate_Timer);
    connect(&tmrTimeOut_, &QTimer::timeout, this, &DownloadJob::tmrTimeOut_Timer);
    connect(&tmrReconnect_, &QTimer::timeout, this, &DownloadJob::tmrReconnect_Timer);
    connect(&tmrRetry_, &QTimer::timeout, this, &DownloadJob::tmrRetry_Timer);
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
    SavePath = savePath;
    parts_ = parts;
    files_.setPath(savePath);
}

void DownloadJob::setLimiter(RateLimiter* limiter)
{
    limiter_ = limiter;
    http_.setLimiter(limiter);
    ftp_.setLimiter(limiter);
}

QString DownloadJob::text(const char* key, const QString& fallback) const
{
    return context_.text.GetText(QString::fromLatin1(key), fallback);
}

bool DownloadJob::failed() const
{
    return phase_ == JobPhase::Failed || phase_ == JobPhase::TimedOut || phase_ == JobPhase::NotFound;
}

void DownloadJob::setPhase(JobPhase phase)
{
    phase_ = phase;
    view_.showPhase(phase);
    changed();
}

void DownloadJob::setStatus(const QString& status, bool isError)
{
    view_.lblStatus = status;
    view_.lblStatusIsError = isError;
    emit statusShown(status, isError);
    changed();
}

void DownloadJob::setRow(int subItem, const QString& value)
{
    jobs_.setSubItem(row_, subItem, value);
}

void DownloadJob::setRowStatus(const QString& status)
{
    setRow(JobColumn::Status, status);
    emit statusShown(status, false);
}

void DownloadJob::log(const QString& text)
{
    InteractionLog += QStringLiteral("\r\n") + text + QStringLiteral("\r\n");
}

void DownloadJob::restartTimeOut()
{
    TimeoutLeft = context_.appSettings.Timeout;
    tmrTimeOut_.start();
}

void DownloadJob::showSize()
{
    view_.lblFileSize = ContentLength >= 0 ? FormatSize(static_cast<double>(ContentLength)) : QStringLiteral("N/A");
    setRow(JobColumn::Size, view_.lblFileSize);
}

// ---------------------------------------------------------------------------
// Start, pause, stop

void DownloadJob::StartDownload()
{
    tmrReconnect_.stop();
    completionQueued_ = succeeded_ = false;
    ++view_.starts;
    // The choice is this job's own from here on, whatever later starts choose.
    fileExistsAction_ = context_.FileExistsAction;
    requestedUrl_ = URL;
    createdTarget_ = false;
    files_.setPath(SavePath);
    proxies_ = ProxyPolicy(context_.appSettings, QProcessEnvironment::systemEnvironment());
    // Through a proxy an ftp:// file is asked of the proxy over HTTP.
    overFtp_ = parts_.IsFTP && !proxies_.routeFor(parts_);
    resume_.begin(URL, SavePath);
    // A start after a restart asks with what the download was given then.
    if (options_.isEmpty())
        options_ = RequestOptionsFile::load(SavePath, URL).value_or(RequestOptions());
    if (fileExistsAction_ == -2) {
        unload();
        return;
    }
    setPhase(JobPhase::Probing);
    view_.visible = true;
    view_.txtURL = URL;
    view_.txtSaveTo = SavePath;
    if (QFileInfo(SavePath).isDir()) {
        fail(text("11080", QStringLiteral("%1 is a folder, so the file can not be saved under that name."))
                 .arg(context_.text.leftToRight(SavePath)));
        return;
    }
    prepareTarget();
    view_.cmdOpenVisible = view_.cmdGotoDirVisible = false;
    if (overFtp_) {
        ftp_.start(fileExistsAction_ == -1);
        setRow(JobColumn::SavePath, SavePath);
        changed();
        return;
    }
    http_.start();
    restartTimeOut();
    changed();
}

void DownloadJob::prepareTarget()
{
    if (fileExistsAction_ == -1) {
        segments_.SegResume.fill(true);
    } else if (fileExistsAction_ == 0) {
        if (QFileInfo::exists(SavePath)) {
            QFile::setPermissions(SavePath, QFile::permissions(SavePath) | QFileDevice::WriteOwner);
            QFile::remove(SavePath);
        }
        resume_.remove();
        segments_.SegResume.fill(false);
    }
}

void DownloadJob::retarget(const QString& path, int action)
{
    SavePath = path;
    fileExistsAction_ = action;
    files_.setPath(path);
    resume_.begin(URL, path);
    view_.txtSaveTo = path;
    prepareTarget();
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
    reconnects_.reset(TotalReceived() - 1);
    progress_.reset(TotalReceived() - 1);
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
    if (segments_.NumSegments > 0 && TotalReceived() > 1 && !saveResumeState()) {
        const auto answer = context_.prompter.ask(
            text("13021", QStringLiteral("you will not be able to resume this file later(Segmented mode only), Stop?")),
            KevaContext::kTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo);
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
    tmrRetry_.stop();
    retries_.clear();
    CurrentRate = 0;
    view_.lblTransferRate = kNoRate;
    view_.lblTimeRemaining.clear();
    http_.close();
    ftp_.close();
}

void DownloadJob::FinishTransfer()
{
    CloseConnections();
    saveResumeState();
    tmrTimeOut_.stop();
    const qint64 received = std::max<qint64>(0, TotalReceived() - 1);
    const bool whole = isFileDownloaded();
    const bool wasFailed = failed();
    view_.ProgressBar1 = ProgressMeter::percent(received, ContentLength);
    // Only a file that has every byte is a success: a stopped one keeps its
    // bars where they stand and offers nothing to open.
    if (whole && segments_.NumSegments > 0)
        view_.PVProgressBar.fill(100);
    files_.closeAll();
    removeEmptyTarget();
    if (phase_ != JobPhase::Completed)
        setPhase(JobPhase::Stopped);
    view_.cmdPauseEnabled = false;
    view_.lblRecievedSize = FormatSize(static_cast<double>(received));
    view_.lblTimeRemaining = whole ? FormatDuration(0) : QString();
    view_.cmdOpenVisible = view_.cmdGotoDirVisible = whole;
    setRow(JobColumn::Received, view_.lblRecievedSize);
    if (whole) {
        setStatus(text("11046", QStringLiteral("Transfer Completed...")), false);
        setRowStatus(text("11052", QStringLiteral("Download Success")));
    } else if (!wasFailed) {
        // Stopped, or the window closed: the row says so too, so that it no
        // longer counts as a running download.
        const QString stopped = text("11055", QStringLiteral("Paused/Stopped"));
        setStatus(stopped, false);
        setRowStatus(stopped);
    }
    changed();
}

void DownloadJob::unload()
{
    if (phase_ != JobPhase::Stopped && phase_ != JobPhase::Completed && phase_ != JobPhase::Closed && view_.visible)
        FinishTransfer();
    tmrReconnect_.stop();
    tmrTimeOut_.stop();
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
    changed();
}

void DownloadJob::cmdOpen_Click()
{
    context_.shell.open(SavePath);
}

void DownloadJob::cmdGotoDir_Click()
{
    context_.shell.open(QFileInfo(SavePath).absolutePath());
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
    removeEmptyTarget();
    tmrTimeOut_.stop();
    setStatus(message, true);
    setRow(JobColumn::Status, message);
    setRow(JobColumn::Percent, QStringLiteral("0 %"));
    emit failedWith(message);
}

// A write that failed (a full disk, a disk that went away) ends the job: it
// would fail again at once. The resume data written last is kept, so the
// download goes on once the cause is mended.
void DownloadJob::writeFailed(const QString& error)
{
    fail(text("11064", QStringLiteral("Could not write to %1: %2")).arg(context_.text.leftToRight(SavePath), error));
}

void DownloadJob::retryShortReply(const std::function<void()>& again)
{
    const qint64 received = TotalReceived() - 1;
    const auto wait = reconnects_.next(received, context_.appSettings);
    if (!wait) {
        fail(ContentLength >= 0 ? text("11066",
                                       QStringLiteral("The server ended its reply before the end of the file "
                                                      "%1 times in a row (%2 of %3 bytes received); giving up."))
                                      .arg(reconnects_.fruitless())
                                      .arg(received)
                                      .arg(ContentLength)
                                : text("11067",
                                       QStringLiteral("The server ended its reply before the end of the file "
                                                      "%1 times in a row (%2 bytes received); giving up."))
                                      .arg(reconnects_.fruitless())
                                      .arg(received));
        return;
    }
    retries_.push_back(again);
    // Connections that end short while a wait runs go on with it.
    if (tmrRetry_.isActive())
        return;
    if (*wait > 0) {
        const QString notice = reconnects_.notice(*wait, received, ContentLength, context_.appSettings, context_.text);
        emit retryScheduled(notice);
        setStatus(notice, false);
        setRowStatus(notice);
        retryShown_ = true;
    }
    tmrRetry_.start(*wait);
}

void DownloadJob::tmrRetry_Timer()
{
    tmrRetry_.stop();
    std::vector<std::function<void()>> retries;
    retries.swap(retries_);
    if (!transferGoesOn() || retries.empty())
        return;
    if (retryShown_) {
        // The wait is over: the status says so.
        retryShown_ = false;
        const QString downloading = text("11051", QStringLiteral("Downloading"));
        setStatus(downloading, false);
        setRowStatus(downloading);
    }
    for (const auto& again : retries) {
        if (transferGoesOn())
            again();
    }
}

bool DownloadJob::refuseLongerLocalFile(qint64 remoteSize, bool resuming)
{
    const qint64 local = QFileInfo(SavePath).size();
    if (!resuming || remoteSize < 0 || local <= remoteSize)
        return false;
    fail(text("11068",
              QStringLiteral("%1 is longer (%2 bytes) than the file on the server (%3 bytes), so it is no "
                             "part of it; it was left as it is."))
             .arg(SavePath)
             .arg(local)
             .arg(remoteSize));
    return true;
}

bool DownloadJob::takeResumeData(const ResumeFile::Loaded& loaded, qint64 size, std::optional<ResumeRecord>* record)
{
    const QString why = resume_.refusal(loaded, size);
    if (why.isEmpty()) {
        *record = loaded.record;
        return true;
    }
    if (!loaded.record && QFileInfo(SavePath).size() > 0) {
        fail(text("11081",
                  QStringLiteral("%1 was left as it is: %2, so it is not known which of its bytes are in "
                                 "place. Overwrite it to download the file again."))
                 .arg(context_.text.leftToRight(SavePath), why));
        return false;
    }
    // Never splice two versions of a file: start again from 0, with nothing
    // of the old transfer still to be written.
    setStatus(text("11072", QStringLiteral("Starting again from the beginning: %1.")).arg(why), false);
    files_.closeAll();
    QFile::resize(SavePath, 0);
    resume_.remove();
    record->reset();
    return true;
}

void DownloadJob::createTarget()
{
    if (QFileInfo::exists(SavePath))
        return;
    QFile create(SavePath);
    createdTarget_ = create.open(QIODevice::WriteOnly);
}

void DownloadJob::removeEmptyTarget()
{
    if (createdTarget_ && !succeeded_ && QFileInfo(SavePath).size() == 0 && QFileInfo(SavePath).isFile())
        QFile::remove(SavePath);
    createdTarget_ = false;
}

// Only a download of known size whose bytes can be asked from a position
// (ranges over HTTP, REST over FTP) can go on from where its segments stand,
// and only once a byte is in place: until then there is nothing to keep.
bool DownloadJob::keepsResumeData() const
{
    return (overFtp_ ? ftp_.resumable() : http_.resumable()) && !succeeded_ && TotalReceived() > 1;
}

bool DownloadJob::saveResumeState()
{
    return keepsResumeData() && resume_.save(ContentLength, segments_, files_);
}

// A pause and a resume, as two clicks on cmdPause, made by the job itself:
// the tries it has left are kept, unlike a resume of the user's.
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

// The data is about to flow: the tries, the rate and the row start afresh.
void DownloadJob::transferBegins()
{
    reconnects_.reset(TotalReceived() - 1);
    progress_.reset(TotalReceived() - 1);
    setRowStatus(text("11051", QStringLiteral("Downloading")));
}

// ---------------------------------------------------------------------------
// Progress

bool DownloadJob::isFileDownloaded() const
{
    return ContentLength >= 0 && TotalReceived() - 1 >= ContentLength;
}

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
    // The first bytes are kept at once: a segmented file has gaps that only
    // the resume data tells.
    if (whole)
        checkCompletionSoon();
    else if (keepsResumeData())
        resume_.saveNowAndThen(ContentLength, segments_, files_);
    changed();
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
    const qint64 received = TotalReceived() - 1;
    const ProgressMeter::Shown shown = progress_.tick(received, ContentLength);
    http_.tick();
    view_.lblRecievedSize = shown.received;
    view_.lblTransferRate = shown.rate;
    view_.lblTimeRemaining = shown.timeLeft;
    view_.lblElapsedTime = shown.elapsed;
    CurrentRate = shown.bytesPerSecond;
    watchdog_.seen(received + 1);
    setRow(JobColumn::Received, view_.lblRecievedSize);
    changed();
}

void DownloadJob::complete()
{
    if (succeeded_)
        return;
    // Success means every byte is in the file.
    QString error;
    if (!files_.flush(&error) || !files_.intact()) {
        fail(text("11064", QStringLiteral("Could not write to %1: %2"))
                 .arg(context_.text.leftToRight(SavePath),
                      error.isEmpty() ? text("11065", QStringLiteral("a write failed")) : error));
        return;
    }
    succeeded_ = true;
    CloseConnections();
    resume_.remove();
    const qint64 bytes = TotalReceived() - 1;
    view_.ProgressBar1 = 100;
    view_.lblPer = QStringLiteral("100%");
    view_.caption = parts_.FileName + QStringLiteral(" [100%]");
    setRow(JobColumn::Percent, QStringLiteral("100%"));
    setPhase(JobPhase::Completed);
    FinishTransfer();
    tmrReconnect_.stop();

    AppSettings& settings = context_.appSettings;
    settings.Downloads += 1;
    settings.AllBytes += static_cast<double>(bytes);
    SettingsStore(context_.registry).putDownloadCounters(settings);
    CRegister reg(context_.registry);
    const auto hklm = RegistryRoot::HKEY_LOCAL_MACHINE;
    emit completedSuccessfully();

    if (reg.REGGetSetting(hklm, SettingsDefaults::kSettingsKey, QStringLiteral("PromptDone")) == QStringLiteral("1"))
        context_.prompter.tell(text("11031", QString()), KevaContext::kTitle, Prompter::Icon::Information);
    if (reg.REGGetSetting(hklm, SettingsDefaults::kSettingsKey, QStringLiteral("CloseDownloadWindowWhenDone"))
        == QStringLiteral("1"))
        unload();
}

void DownloadJob::tmrTimeOut_Timer()
{
    TimeoutLeft -= 1;
    view_.lblTimer = text("04018", QStringLiteral("Timeout: %1 sec.")).arg(TimeoutLeft);
    changed();
    if (TimeoutLeft >= 1)
        return;
    // No retry of its own, but the user may resume with cmdPause, or stop
    // and close the window.
    tmrTimeOut_.stop();
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
