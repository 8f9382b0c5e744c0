#include "engine/DownloadJob.h"

#include "core/Formatting.h"
#include "engine/FtpConnection.h"
#include "engine/HttpRequest.h"
#include "engine/HttpStatus.h"
#include "engine/SegmentConnection.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsDialogState.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QRegularExpression>
#include <QFileInfo>
#include <QUrl>

#include <cmath>

#include <unistd.h>

namespace {

const QString kResumeSupported = QStringLiteral("** Resume Supported **");
const QString kNoRate = QStringLiteral("0 Bytes/Second");
const QString kTimedOut = QStringLiteral("Connection has timed out.");

int percent(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 0;
    return static_cast<int>(std::floor(static_cast<double>(part) / static_cast<double>(whole) * 100.0));
}

// "bytes a-b/total": the first and last offsets and the total (-1 when "*").
struct ContentRange {
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1;

    bool coversWhole() const { return first == 0 && total >= 0 && last == total - 1; }
};

std::optional<ContentRange> parseContentRange(const QByteArray& value)
{
    const QByteArray text = value.trimmed();
    if (!text.startsWith("bytes"))
        return std::nullopt;
    const QByteArray rest = text.mid(5).trimmed();
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0)
        return std::nullopt;
    ContentRange range;
    bool ok = true;
    const QByteArray span = rest.left(slash);
    if (span != "*") {
        const qsizetype dash = span.indexOf('-');
        range.first = span.left(dash).toLongLong(&ok);
        if (!ok || dash < 0)
            return std::nullopt;
        range.last = span.mid(dash + 1).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QByteArray total = rest.mid(slash + 1);
    if (total != "*") {
        range.total = total.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    return range;
}

} // namespace

DownloadJob::DownloadJob(KevaContext& context, JobList& jobs, QObject* parent)
    : QObject(parent)
    , context_(context)
    , jobs_(jobs)
{
    tmrUpdate_.setInterval(500);
    tmrTimeOut_.setInterval(1000);
    tmrReconnect_.setInterval(100);
    connect(&tmrUpdate_, &QTimer::timeout, this, &DownloadJob::tmrUpdate_Timer);
    connect(&tmrTimeOut_, &QTimer::timeout, this, &DownloadJob::tmrTimeOut_Timer);
    connect(&tmrReconnect_, &QTimer::timeout, this, &DownloadJob::tmrReconnect_Timer);
    SetCaptions();
}

DownloadJob::~DownloadJob()
{
    CloseConnections();
    saveResumeState();
    closeFiles();
}

void DownloadJob::applyUrlParts(const UrlParts& parts)
{
    Server = parts.Server;
    Port = parts.Port;
    UserName = parts.UserName;
    Password = parts.Password;
    FileName = parts.FileName;
    RemotePath = parts.RemotePath;
    IsHTTP = parts.IsHTTP;
    IsFTP = parts.IsFTP;
}

QString DownloadJob::text(const char* key, const QString& fallback) const
{
    return context_.text.GetText(QString::fromLatin1(key), fallback);
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
    jobs_.setSubItem(row, subItem, value);
}

void DownloadJob::setRowStatus(const QString& status)
{
    setRow(JobColumn::Status, status);
    emit statusShown(status, false);
}

// ---------------------------------------------------------------------------
// Start, pause, stop

void DownloadJob::StartDownload()
{
    SetCaptions();
    tmrReconnect_.stop();
    completed_ = failed_ = finished_ = completionQueued_ = probeWithGet_ = rangeless_ = probed_ = false;
    ++view_.starts;
    redirects_ = 0;
    // The choice is this job's own from here on, whatever later starts choose.
    fileExistsAction_ = context_.FileExistsAction;
    requestedUrl_ = URL;
    if (fileExistsAction_ == -2) {
        unload();
        return;
    }
    view_.visible = true;
    view_.txtURL = URL;
    view_.txtSaveTo = SavePath;
    if (fileExistsAction_ == -1) {
        segments.SegResume.fill(true);
    } else if (fileExistsAction_ == 0) {
        if (QFileInfo::exists(SavePath)) {
            QFile::setPermissions(SavePath, QFile::permissions(SavePath) | QFileDevice::WriteOwner);
            QFile::remove(SavePath);
        }
        ResumeFile::remove(SavePath);
        segments.SegResume.fill(false);
    }
    if (IsFTP) {
        segments.layoutSingle(-1);
        ContentLength = -1;
        Resuming = false;
        const qint64 length = QFileInfo(SavePath).size();
        if (fileExistsAction_ == -1 && QFileInfo::exists(SavePath)) {
            segments.SegStart[0] = std::max<qint64>(0, length - context_.appSettings.Rollback);
            segments.SegPos[0] = segments.SegStart[0] + 1;
            Resuming = true;
        }
        ftpConnect();
        setRow(JobColumn::SavePath, SavePath);
        view_.cmdOpenVisible = view_.cmdGotoDirVisible = false;
        changed();
        return;
    }
    probe();
    TimeoutLeft = context_.appSettings.Timeout;
    tmrTimeOut_.start();
    view_.cmdOpenVisible = view_.cmdGotoDirVisible = false;
    changed();
}

void DownloadJob::Pause_Resume()
{
    // A stopped job stays stopped, and a closed window's job is over.
    if (isFileDownloaded() || completed_ || finished_)
        return;
    if (isPaused()) {
        setRowStatus(text("11051", QStringLiteral("Downloading")));
        view_.cmdPause = PauseCaption;
        view_.cmdStopEnabled = true;
        failed_ = false;
        reconnects_.reset(TotalReceived() - 1);
        rateMeter_.reset(TotalReceived() - 1);
        resetSegmentRates();
        const qint64 rollback = context_.appSettings.Rollback;
        if (IsFTP) {
            segments.SegStart[0] = std::max<qint64>(0, segments.SegPos[0] - 1 - rollback);
            segments.SegPos[0] = segments.SegStart[0] + 1;
            Resuming = true;
            ftpConnect();
            tmrUpdate_.start();
            changed();
            return;
        }
        if (!probed_) {
            // Timed out before the size was known: probe again.
            probe();
            TimeoutLeft = context_.appSettings.Timeout;
            tmrTimeOut_.start();
            changed();
            return;
        }
        segments.rollBackForResume(rollback);
        segmentFailed_.fill(false);
        for (int i = 0; i < segments.connections(); ++i)
            connectSegment(i);
        tmrUpdate_.start();
    } else {
        view_.cmdPause = ResumeCaption;
        view_.cmdStopEnabled = false;
        CloseConnections();
        saveResumeState();
        setRowStatus(text("11055", QStringLiteral("Paused/Stopped")));
    }
    changed();
}

void DownloadJob::StopMe()
{
    if (view_.cmdStop == CloseCaption || isFileDownloaded()) {
        unload();
        return;
    }
    // A segmented download goes on later from its resume data; only where
    // that cannot be written is the user warned.
    if (segments.NumSegments > 0 && !saveResumeState()) {
        const auto answer = context_.prompter.ask(
            text("13021", QStringLiteral("you will not be able to resume this file later(Segmented mode only), Stop?")),
            KevaContext::kTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo);
        // The job may have ended while the question was open.
        if (answer != Prompter::Answer::Yes || completed_ || finished_ || isFileDownloaded())
            return;
    }
    view_.cmdPause = ResumeCaption;
    view_.cmdStopEnabled = false;
    FinishTransfer();
}

void DownloadJob::CloseConnections()
{
    tmrUpdate_.stop();
    CurrentRate = 0;
    view_.lblTransferRate = kNoRate;
    view_.lblTimeRemaining.clear();
    if (WSHead)
        WSHead->close();
    for (auto& connection : wsHTTP) {
        if (connection)
            connection->close();
    }
    if (ftp_) {
        ftp_->close();
        FtpState = 0;
    }
}

void DownloadJob::closeFiles()
{
    for (auto& file : SegFile) {
        if (file)
            file->close();
        file.reset();
    }
}

void DownloadJob::FinishTransfer()
{
    CloseConnections();
    saveResumeState();
    tmrTimeOut_.stop();
    const qint64 received = std::max<qint64>(0, TotalReceived() - 1);
    const bool whole = isFileDownloaded();
    view_.ProgressBar1 = percent(received, ContentLength);
    // Only a file that has every byte is a success: a stopped one keeps its
    // bars where they stand and offers nothing to open.
    if (whole && segments.NumSegments > 0)
        view_.PVProgressBar.fill(100);
    closeFiles();
    finished_ = true;
    view_.lblRecievedSize = FormatSize(static_cast<double>(received));
    view_.lblTimeRemaining = whole ? FormatDuration(0) : QString();
    view_.cmdOpenVisible = view_.cmdGotoDirVisible = whole;
    view_.cmdPauseEnabled = false;
    view_.cmdStopEnabled = true;
    view_.cmdStop = CloseCaption;
    setRow(JobColumn::Received, view_.lblRecievedSize);
    if (whole) {
        setStatus(text("11046", QStringLiteral("Transfer Completed...")), false);
        setRowStatus(text("11052", QStringLiteral("Download Success")));
    } else if (!failed_) {
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
    if (!finished_ && view_.visible)
        FinishTransfer();
    tmrReconnect_.stop();
    tmrTimeOut_.stop();
    view_.visible = false;
    changed();
    emit unloaded();
}

void DownloadJob::SetCaptions()
{
    view_.rightToLeft = context_.text.rightToLeft();
    const bool wasPaused = !PauseCaption.isEmpty() && isPaused();
    const bool wasClose = !CloseCaption.isEmpty() && view_.cmdStop == CloseCaption;
    view_.caption = text("04000", QStringLiteral("Download Window"));
    view_.Frame2 = text("04001", QStringLiteral("File Info"));
    view_.Label1 = text("04002", QStringLiteral("Saving To:"));
    view_.Label2 = text("04003", QStringLiteral("URL:"));
    view_.Label3 = text("04004", QStringLiteral("Resume:"));
    view_.Label4 = text("04005", QStringLiteral("File Size:"));
    view_.Label6 = text("04006", QStringLiteral("Received Size:"));
    view_.Label5 = text("04007", QStringLiteral("Time Remaining:"));
    view_.Label7 = text("04008", QStringLiteral("Elapsed Time:"));
    view_.Label8 = text("04009", QStringLiteral("Transfer Rate:"));
    view_.cmdOpen = text("04010", QStringLiteral("&Open"));
    view_.cmdGotoDir = text("04011", QStringLiteral("&Go To Dir"));
    PauseCaption = text("04012", QStringLiteral("&Pause"));
    ResumeCaption = text("04013", QStringLiteral("&Resume"));
    StopCaption = text("04014", QStringLiteral("&Stop"));
    CloseCaption = text("04015", QStringLiteral("&Close"));
    view_.cmdMore = text("04016", QStringLiteral("More..."));
    view_.interactdata_mnu = text("04017", QStringLiteral("Server Interaction Info"));
    view_.cmdPause = wasPaused ? ResumeCaption : PauseCaption;
    view_.cmdStop = wasClose ? CloseCaption : StopCaption;
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
    failed_ = true;
    CloseConnections();
    saveResumeState();
    tmrTimeOut_.stop();
    setStatus(message, true);
    setRow(JobColumn::Status, message);
    setRow(JobColumn::Percent, QStringLiteral("0 %"));
    view_.cmdPauseEnabled = false;
    view_.cmdStopEnabled = false;
    changed();
    emit failedWith(message);
}

void DownloadJob::retryShortReply(const std::function<void()>& again)
{
    const qint64 received = TotalReceived() - 1;
    const auto wait = reconnects_.next(received, context_.appSettings);
    if (!wait) {
        const QString of = ContentLength >= 0 ? QStringLiteral(" of %1").arg(ContentLength) : QString();
        fail(QStringLiteral("The server ended its reply before the end of the file %1 times in a row "
                            "(%2%3 bytes received); giving up.")
                 .arg(reconnects_.fruitless())
                 .arg(received)
                 .arg(of));
        return;
    }
    QTimer::singleShot(*wait, this, [this, again] {
        if (transferGoesOn())
            again();
    });
}

bool DownloadJob::refuseLongerLocalFile(qint64 remoteSize, bool resuming)
{
    const qint64 local = QFileInfo(SavePath).size();
    if (!resuming || remoteSize < 0 || local <= remoteSize)
        return false;
    fail(QStringLiteral("%1 is longer (%2 bytes) than the file on the server (%3 bytes), so it is no part of "
                        "it; it was left as it is.")
             .arg(SavePath)
             .arg(local)
             .arg(remoteSize));
    return true;
}

QString DownloadJob::resumeRefusal(const ResumeFile::Loaded& loaded, qint64 size) const
{
    if (!loaded.record)
        return QStringLiteral("the resume data beside the file is damaged (%1)").arg(loaded.problem);
    const ResumeRecord& record = *loaded.record;
    if (record.url != requestedUrl_)
        return QStringLiteral("the resume data beside the file belongs to %1").arg(record.url);
    const auto differs = [](const QByteArray& a, const QByteArray& b) { return !a.isEmpty() && !b.isEmpty() && a != b; };
    if (record.size != size || differs(record.etag, etag_) || differs(record.lastModified, lastModified_))
        return QStringLiteral("the file on the server has changed since the download began");
    return {};
}

// Keeps what a later resume needs beside the file, the data written so far
// on disk first. Only a download of known size fetched by ranges can go on
// from where its segments stand.
bool DownloadJob::saveResumeState()
{
    if (!IsHTTP || !probed_ || ContentLength < 0 || !rangesSupported_ || rangeless_ || completed_)
        return false;
    for (const auto& file : SegFile) {
        if (file && file->isOpen())
            ::fdatasync(file->handle());
    }
    const ResumeRecord record {requestedUrl_, ContentLength, etag_, lastModified_, segments.ranges()};
    resumeSaved_.start();
    return ResumeFile::save(SavePath, record);
}

// ---------------------------------------------------------------------------
// The probe

void DownloadJob::probe()
{
    if (!WSHead) {
        WSHead = std::make_unique<SegmentConnection>(SegmentConnection::Callbacks {
            [this] { probeHeader(); },
            {},
            [this](bool complete) { probeEnded(complete); },
            [this](int, const QString& description) { probeError(description); },
        });
    }
    if (probeWithGet_) {
        const HttpRequest::Range whole {0, -1};
        WSHead->open(Server, Port, HttpRequest::get(RemotePath, Server, Port, &whole, 0, {}), false);
    } else {
        WSHead->open(Server, Port, HttpRequest::head(RemotePath, Server, Port), true);
    }
}

void DownloadJob::probeHeader()
{
    tmrTimeOut_.stop();
    InteractionLog += QStringLiteral("\r\n") + QString::fromLatin1(WSHead->response().headerText()) + QStringLiteral("\r\n");
    WSHead->close();
    ParseHeadReply();
}

void DownloadJob::probeEnded(bool complete)
{
    if (!complete && !WSHead->response().headersDone()) {
        const QString why = WSHead->response().failure();
        fail(why.isEmpty() ? QStringLiteral("The server closed the connection without a reply.") : why);
    }
}

void DownloadJob::probeError(const QString& description)
{
    fail(QStringLiteral("Could not connect to %1:%2: %3").arg(Server).arg(Port).arg(description));
}

void DownloadJob::ParseHeadReply()
{
    const HttpResponseParser& reply = WSHead->response();
    const int code = reply.statusCode();
    if ((code == 405 || code == 501) && !probeWithGet_) {
        // Some servers refuse HEAD; the header of a GET tells the same.
        probeWithGet_ = true;
        probe();
        return;
    }

    if (code == 300 || code == 301 || code == 302 || code == 303 || code == 307 || code == 308) {
        const auto location = reply.header("Location");
        if (location && !location->isEmpty()) {
            if (++redirects_ > kMaxRedirects) {
                fail(QStringLiteral("Too many redirects (more than %1).").arg(kMaxRedirects));
                return;
            }
            // A relative Location is taken from the current address.
            URL = QUrl(URL).resolved(QUrl(QString::fromUtf8(*location))).toString();
            view_.txtURL = URL;
            applyUrlParts(SplitUrl(URL, context_.frmSettings().lstLogin));
            if (!IsHTTP) {
                fail(QStringLiteral("The server redirects to %1, which can not be fetched over HTTP.").arg(URL));
                return;
            }
            probe();
            TimeoutLeft = context_.appSettings.Timeout;
            tmrTimeOut_.start();
            changed();
            return;
        }
    }

    etag_ = reply.header("ETag").value_or(QByteArray());
    lastModified_ = reply.header("Last-Modified").value_or(QByteArray());
    qint64 size = -1;
    if (code == 206) {
        if (const auto range = parseContentRange(reply.header("Content-Range").value_or(QByteArray())))
            size = range->total;
        rangesSupported_ = true;
    } else if (code == 200) {
        if (const auto length = reply.contentLength())
            size = *length;
        rangesSupported_ = reply.header("Accept-Ranges").value_or(QByteArray()).toLower().contains("bytes");
    } else if (code == 416) {
        // An empty file has no first byte to give.
        const auto range = parseContentRange(reply.header("Content-Range").value_or(QByteArray()));
        if (!range || range->total != 0) {
            fail(HttpFailureText(code, reply.reasonPhrase()));
            return;
        }
        size = 0;
    } else {
        fail(HttpFailureText(code, reply.reasonPhrase()));
        return;
    }

    view_.lblFileSize = size >= 0 ? FormatSize(static_cast<double>(size)) : QStringLiteral("N/A");
    view_.lblResume = rangesSupported_ && size >= 0 ? kResumeSupported : QString();
    setRow(JobColumn::SavePath, SavePath);
    setRow(JobColumn::Size, view_.lblFileSize);
    if (context_.appSettings.StopResume) {
        watchdog_.start();
        tmrReconnect_.setInterval(watchdog_.intervalMs());
        tmrReconnect_.start();
    }
    probed_ = true;
    Check_Create(size);
}

// ---------------------------------------------------------------------------
// Segments

void DownloadJob::Check_Create(qint64 size)
{
    bool resume = fileExistsAction_ == -1;
    std::optional<ResumeRecord> record;
    if (resume) {
        const ResumeFile::Loaded loaded = ResumeFile::load(SavePath);
        if (loaded.present) {
            const QString why = resumeRefusal(loaded, size);
            if (why.isEmpty()) {
                record = loaded.record;
            } else {
                // Never splice two versions of a file: start again from 0.
                setStatus(QStringLiteral("Starting again from the beginning: %1.").arg(why), false);
                QFile::resize(SavePath, 0);
                resume = false;
            }
        } else if (refuseLongerLocalFile(size, true)) {
            return;
        }
    }
    ContentLength = size;
    int count = SegmentTable::segmentsFor(size, context_.appSettings, segments.NumSegments);
    if (resume || !rangesSupported_ || size < 0)
        count = 0;

    if (!QFileInfo::exists(SavePath)) {
        QFile create(SavePath);
        create.open(QIODevice::WriteOnly);
    }
    if (record) {
        // Each segment goes on from where the record left it.
        segments.resumeFrom(*record, context_.appSettings.Rollback);
        LayoutSegmentBars(segments.connections());
    } else if (count == 0) {
        segments.layoutSingle(size);
        LayoutSegmentBars(1);
    } else {
        segments.layoutSegments(size, count);
        LayoutSegmentBars(count);
    }
    if (resume && !record)
        SetSegIndecies();
    else if (!resume)
        segments.SegResume.fill(false);
    saveResumeState();

    segmentFailed_.fill(false);
    reconnects_.reset(TotalReceived() - 1);
    rateMeter_.reset(TotalReceived() - 1);
    resetSegmentRates();
    setRowStatus(text("11051", QStringLiteral("Downloading")));
    if (size == 0) {
        openSegmentFile(0);
        checkCompletionSoon();
    } else {
        for (int i = 0; i < segments.connections(); ++i) {
            openSegmentFile(i);
            connectSegment(i);
        }
    }
    tmrUpdate_.start();
    changed();
}

bool DownloadJob::openSegmentFile(int i)
{
    auto& file = SegFile[static_cast<std::size_t>(i)];
    if (file && file->isOpen())
        return true;
    file = std::make_unique<QFile>(SavePath);
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        fail(QStringLiteral("Could not open %1 for writing: %2").arg(SavePath, file->errorString()));
        return false;
    }
    return true;
}

void DownloadJob::SetSegIndecies()
{
    segments.SetSegIndecies(QFileInfo(SavePath).size(), context_.appSettings.Rollback);
}

void DownloadJob::LayoutSegmentBars(int count)
{
    view_.ProgressBar1Visible = count >= 2;
    view_.segmentBarsVisible = count;
    view_.PVProgressBar.fill(0);
}

void DownloadJob::connectSegment(int i)
{
    if (ContentLength >= 0 && segments.segmentDone(i))
        return;
    auto& connection = wsHTTP[static_cast<std::size_t>(i)];
    if (!connection) {
        connection = std::make_unique<SegmentConnection>(SegmentConnection::Callbacks {
            [this, i] { segmentHeader(i); },
            [this, i](const char* data, qsizetype size) { segmentBody(i, data, size); },
            [this, i](bool complete) { segmentEnded(i, complete); },
            [this, i](int code, const QString& description) { segmentError(i, code, description); },
        });
    }
    connection->setLimiter(limiter_);
    if (!openSegmentFile(i))
        return;

    const AppSettings& settings = context_.appSettings;
    const HttpRequest::ProxyLogin proxy {settings.UseProxy && settings.LoginProxy, settings.UserID, settings.UserPass,
                                         settings.UsePass};
    if (ContentLength < 0 || rangeless_) {
        // Unknown size, or ranges that go wrong: the whole file on one
        // connection, to the end of the reply.
        segments.SegPos[0] = 1;
        SegFile[0]->resize(0);
        connection->open(Server, Port, HttpRequest::get(RemotePath, Server, Port, nullptr, i, proxy), false);
        return;
    }
    const HttpRequest::Range range {segments.requestStart(i), segments.segmentEnd(i) - 1};
    connection->open(Server, Port, HttpRequest::get(RemotePath, Server, Port, &range, i, proxy), false);
}

void DownloadJob::segmentHeader(int i)
{
    SegmentConnection& connection = *wsHTTP[static_cast<std::size_t>(i)];
    const HttpResponseParser& reply = connection.response();
    InteractionLog += QStringLiteral("\r\n") + QString::fromLatin1(reply.headerText()) + QStringLiteral("\r\n");
    const int code = reply.statusCode();
    const qint64 asked = ContentLength < 0 || rangeless_ ? 0 : segments.requestStart(i);

    if (code == 206) {
        const auto range = parseContentRange(reply.header("Content-Range").value_or(QByteArray()));
        const bool ranged = ContentLength >= 0 && !rangeless_;
        if (range && range->first == asked && (ranged || range->coversWhole()))
            return;
        if (!ranged) {
            // Asked for the whole file without a range and given a part:
            // asking again would only bring the same part.
            fail(QStringLiteral("The server answers a request for the whole file with a part of it (%1).")
                     .arg(QString::fromLatin1(reply.header("Content-Range").value_or("no Content-Range"))));
            return;
        }
        // A range other than the one asked for: its bytes belong elsewhere.
        restartFromZero();
        return;
    }
    if (code == 200) {
        // The whole file: right only where the request started at its beginning.
        if (asked == 0 && segments.NumSegments == 0)
            return;
        restartFromZero();
        return;
    }
    // An error reply after a good probe ends the job: its body is no part
    // of the file, and asking again would only repeat it.
    segmentFailed_[static_cast<std::size_t>(i)] = true;
    fail(HttpFailureText(code, reply.reasonPhrase()));
}

void DownloadJob::restartFromZero()
{
    for (auto& connection : wsHTTP) {
        if (connection)
            connection->close();
    }
    rangesSupported_ = false;
    rangeless_ = true;
    ResumeFile::remove(SavePath);
    view_.lblResume.clear();
    segments.layoutSingle(ContentLength);
    segments.SegResume.fill(false);
    LayoutSegmentBars(1);
    if (openSegmentFile(0)) {
        SegFile[0]->resize(0);
        connectSegment(0);
    }
    changed();
}

void DownloadJob::segmentBody(int i, const char* data, qsizetype size)
{
    const auto at = static_cast<std::size_t>(i);
    if (!SegFile[at])
        return;
    const qint64 position = segments.SegPos[at];
    qint64 take = size;
    if (ContentLength >= 0)
        take = std::min<qint64>(take, segments.segmentEnd(i) - (position - 1));
    if (take <= 0) {
        wsHTTP[at]->close();
        return;
    }
    if (!writeData(i, data, take))
        return;
    if (ContentLength >= 0 && segments.segmentDone(i)) {
        wsHTTP[at]->close();
        takeOverWork(i);
    }
}

void DownloadJob::resetSegmentRates()
{
    for (int i = 0; i < SegmentTable::kMaxSegments; ++i) {
        const auto at = static_cast<std::size_t>(i);
        segmentRates_[at].reset(segments.SegPos[at] - 1 - segments.SegStart[at]);
    }
}

// A connection that has fetched its range helps the slowest: it takes over
// the second half of the largest range still to fetch, whose connection then
// stops where that half begins. No byte is fetched for two segments.
void DownloadJob::takeOverWork(int i)
{
    if (rangeless_ || isFileDownloaded() || !transferGoesOn())
        return;
    // Only where it ends the download sooner: the slow range's rest at its own
    // rate against half of it at that rate, or at this connection's rate
    // after setting up a new connection.
    const auto worthIt = [this, i](int j, qint64 left) {
        const RateMeter& slow = segmentRates_[static_cast<std::size_t>(j)];
        const RateMeter& fast = segmentRates_[static_cast<std::size_t>(i)];
        if (!slow.measured() || !fast.measured())
            return false;
        if (slow.rate() <= 0)
            return true; // stalled
        const double half = static_cast<double>(left) / 2.0;
        const double asItIs = static_cast<double>(left) / slow.rate();
        const double split = std::max(half / slow.rate(), half / std::max(fast.rate(), 1.0) + kConnectionSetupSeconds);
        return split < 0.75 * asItIs;
    };
    const auto from = segments.takeOverHalf(i, kMinimumTakeOver, worthIt);
    if (!from)
        return;
    Update(*from);
    Update(i);
    saveResumeState();
    // The connection may be inside its own read handler: it opens anew once
    // that has returned.
    QTimer::singleShot(0, this, [this, i] {
        if (transferGoesOn() && !segments.segmentDone(i) && !wsHTTP[static_cast<std::size_t>(i)]->isOpen())
            connectSegment(i);
    });
}

// Writes a piece of segment i at its position; a failed write pauses the job.
bool DownloadJob::writeData(int i, const char* data, qsizetype size)
{
    const auto at = static_cast<std::size_t>(i);
    QFile* file = SegFile[at].get();
    qint64& position = segments.SegPos[at];
    if (!file || !file->seek(position - 1) || file->write(data, size) != size) {
        const QString error = file ? file->errorString() : QStringLiteral("the file is not open");
        Pause_Resume();
        setStatus(QStringLiteral("Could not write to %1: %2").arg(SavePath, error), true);
        return false;
    }
    position += size;
    Update(i);
    return true;
}

void DownloadJob::segmentEnded(int i, bool complete)
{
    const auto at = static_cast<std::size_t>(i);
    if (segmentFailed_[at])
        return;
    if (ContentLength < 0) {
        if (complete) {
            // The reply without a length has ended: now the size is known.
            ContentLength = segments.SegPos[0] - 1;
            segments.setLength(ContentLength);
            view_.lblFileSize = FormatSize(static_cast<double>(ContentLength));
            setRow(JobColumn::Size, view_.lblFileSize);
            checkCompletionSoon();
        } else {
            retryShortReply([this] { restartFromZero(); });
        }
        return;
    }
    if (isFileDownloaded()) {
        checkCompletionSoon();
        return;
    }
    if (isPaused())
        return;
    if (segments.segmentDone(i)) {
        takeOverWork(i);
        return;
    }
    // Closed before the segment's end: go on from where it stands.
    segments.SegResume[at] = true;
    retryShortReply([this, i] {
        if (!segments.segmentDone(i) && !wsHTTP[static_cast<std::size_t>(i)]->isOpen())
            connectSegment(i);
    });
}

void DownloadJob::segmentError(int i, int code, const QString& description)
{
    context_.prompter.tell(text("11033", QString()) + QStringLiteral("\r\n") + text("11034", QString())
                               + QString::number(code) + QStringLiteral("\r\n") + description,
                           text("11035", QString()), Prompter::Icon::Exclamation);
    if (wsHTTP[static_cast<std::size_t>(i)])
        wsHTTP[static_cast<std::size_t>(i)]->close();
}

bool DownloadJob::isFileDownloaded() const
{
    return ContentLength >= 0 && TotalReceived() - 1 >= ContentLength;
}

void DownloadJob::Update(int index)
{
    if (ContentLength <= 0)
        return;
    const qint64 received = TotalReceived();
    view_.ProgressBar1 = percent(received - 1, ContentLength);
    const int shown = percent(received, ContentLength);
    view_.caption = FileName + QStringLiteral(" [") + QString::number(std::min(shown, 100)) + QStringLiteral("%]");
    view_.lblPer = QString::number(std::min(shown, 100)) + QLatin1Char('%');
    if (index >= 0 && index < SegmentTable::kMaxSegments) {
        const auto at = static_cast<std::size_t>(index);
        const qint64 start = segments.SegStart[at];
        view_.PVProgressBar[at] = percent(segments.SegPos[at] - 1 - start, segments.segmentEnd(index) - start);
    }
    setRow(JobColumn::Percent, QString::number(view_.ProgressBar1) + QLatin1Char('%'));
    if (isFileDownloaded())
        checkCompletionSoon();
    changed();
}

void DownloadJob::checkCompletionSoon()
{
    if (completionQueued_)
        return;
    completionQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        completionQueued_ = false;
        if (isFileDownloaded() && !completed_)
            tmrUpdate_Timer();
    });
}

// ---------------------------------------------------------------------------
// Timers

void DownloadJob::tmrUpdate_Timer()
{
    const qint64 received = TotalReceived();
    ReceivedBytes = received - 1;
    if (isFileDownloaded()) {
        complete();
        return;
    }
    view_.lblRecievedSize = FormatSize(static_cast<double>(received - 1));
    // The rate and the time left go by the last few seconds, so that they
    // move steadily; there is no time left to show until there is a rate.
    const double rate = rateMeter_.tick(received - 1);
    for (int i = 0; i < segments.connections(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        segmentRates_[at].tick(segments.SegPos[at] - 1 - segments.SegStart[at]);
    }
    view_.lblTransferRate = FormatSize(rate) + QStringLiteral(" /Second");
    CurrentRate = rate;
    ElapsedSeconds += 0.5;
    const auto left = ContentLength > 0 ? rateMeter_.secondsLeft(ContentLength - (received - 1)) : std::nullopt;
    view_.lblTimeRemaining = left ? FormatDuration(*left) : QString();
    watchdog_.seen(received);
    if (!resumeSaved_.isValid() || resumeSaved_.elapsed() >= 1000)
        saveResumeState();
    view_.lblElapsedTime = FormatDuration(std::floor(ElapsedSeconds));
    setRow(JobColumn::Received, view_.lblRecievedSize);
    changed();
}

void DownloadJob::complete()
{
    if (completed_)
        return;
    completed_ = true;
    CloseConnections();
    ResumeFile::remove(SavePath);
    const qint64 bytes = TotalReceived() - 1;
    view_.ProgressBar1 = 100;
    view_.lblPer = QStringLiteral("100%");
    view_.caption = FileName + QStringLiteral(" [100%]");
    setRow(JobColumn::Percent, QStringLiteral("100%"));
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
    view_.lblTimer = QStringLiteral("Timeout: %1 sec.").arg(TimeoutLeft);
    changed();
    if (TimeoutLeft < 1) {
        // No retry of its own, but the user may resume with cmdPause, or
        // stop and close the window.
        tmrTimeOut_.stop();
        failed_ = true;
        CloseConnections();
        setStatus(kTimedOut, true);
        setRow(JobColumn::Percent, kTimedOut);
        setRow(JobColumn::Status, kTimedOut);
        view_.cmdPause = ResumeCaption;
        view_.cmdPauseEnabled = true;
        view_.cmdStopEnabled = true;
        changed();
        emit failedWith(kTimedOut);
    }
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

void DownloadJob::tmrReconnect_Timer()
{
    const qint64 current = TotalReceived();
    ReceivedBytes = current - 1;
    const bool resumable = rangesSupported_ && ContentLength >= 0;
    const bool stalled = watchdog_.tick(current, resumable, context_.appSettings);
    tmrReconnect_.setInterval(watchdog_.intervalMs());
    if (stalled)
        restart();
}

// ---------------------------------------------------------------------------
// FTP

void DownloadJob::ftpConnect()
{
    if (!ftp_) {
        ftp_ = std::make_unique<FtpConnection>(FtpConnection::Callbacks {
            [this](const FtpReply& reply) { StartLoginFTP(reply); },
            [this](const char* data, qsizetype size) { ftpData(data, size); },
            [this] { ftpDataClosed(); },
            [this](const QString& description) {
                fail(QStringLiteral("Could not connect to %1:%2: %3").arg(Server).arg(Port).arg(description));
            },
            [this](const QString& description) {
                context_.prompter.tell(text("11032", QString()) + description, KevaContext::kTitle,
                                       Prompter::Icon::Exclamation);
            },
        });
    }
    ftp_->setLimiter(limiter_);
    FtpState = 0;
    PasvDone = false;
    // Every control connection needs its own PORT: the server forgets the
    // data port of an earlier one.
    PortSent = false;
    ftpServerDone_ = false;
    ftpTypeSet_ = ftpPortAccepted_ = ftpRestSent_ = ftpRestAccepted_ = ftpRetrSent_ = false;
    // The connection, the greeting and every reply until the data flows
    // must come within the time-out.
    TimeoutLeft = context_.appSettings.Timeout;
    view_.lblTimerVisible = true;
    tmrTimeOut_.start();
    ftp_->open(Server, Port);
}

// One reply of the control connection, acted on by the command it answers.
void DownloadJob::StartLoginFTP(const FtpReply& reply)
{
    InteractionLog += reply.text + QStringLiteral("\r\n");
    if (tmrTimeOut_.isActive())
        TimeoutLeft = context_.appSettings.Timeout;
    const int code = reply.code;
    const QByteArray& command = reply.command;
    const bool refused = code >= 400;
    const auto refusedCommand = [&] {
        fail(QStringLiteral("The server refused %1: %2").arg(QString::fromLatin1(command), reply.text));
    };
    if (code == 227 && PasvDone) {
        // A second passive address in one login: the server is confused.
        context_.prompter.tell(text("11036", QString()), KevaContext::kTitle, Prompter::Icon::Exclamation);
        ftp_->close();
    } else if (command.isEmpty()) {
        // The greeting; replies that nothing asked for are ignored.
        if (code == 220 && FtpState == 0) {
            ftp_->send("USER " + UserName.toUtf8());
            setStatus(text("11049", QStringLiteral("Logging In...")), false);
            setRowStatus(view_.lblStatus);
            view_.cmdStopEnabled = true;
            FtpState = 220;
        } else if (refused && FtpState == 0) {
            fail(QStringLiteral("The server refused the connection: %1").arg(reply.text));
            return;
        }
    } else if (command == "USER" || command == "PASS") {
        if (code == 331 && command == "USER") {
            ftp_->send("PASS " + Password.toUtf8());
            FtpState = 331;
        } else if (code == 230) {
            ftpLoggedIn();
        } else if (code == 530) {
            ftpLoginRefused();
            return;
        } else if (refused || code == 332) {
            refusedCommand();
            return;
        }
    } else if (command == "PASV") {
        if (code != 227) {
            refusedCommand();
            return;
        }
        quint16 port = 0;
        if (!ftp_->connectPassive(reply.text, &port)) {
            fail(QStringLiteral("The server's passive reply names no address: %1").arg(reply.text));
            return;
        }
        DataPort = port;
        PasvDone = true;
        ftp_->send("TYPE I");
        FtpState = 227;
    } else if (command == "PORT" || command == "TYPE") {
        if (refused) {
            refusedCommand();
            return;
        }
        (command == "TYPE" ? ftpTypeSet_ : ftpPortAccepted_) = true;
        ftpSendRestWhenReady();
    } else if (command == "REST") {
        if (code == 350) {
            ftpRestAccepted_ = true;
            ftpSendRetr();
        } else if (refused) {
            ftpRestRefused();
        }
    } else if (command == "RETR") {
        ftpRetrReply(reply);
        return;
    }
    changed();
}

void DownloadJob::ftpLoggedIn()
{
    view_.txtURL = URL;
    setStatus(text("11050", QStringLiteral("Connected... Setting Up Transfer!")), false);
    setRowStatus(text("11048", QStringLiteral("Connected")));
    FtpState = 230;
    PasvDone = false;
    ftpSetUpData();
}

void DownloadJob::ftpLoginRefused()
{
    // "User alice can not log in."
    const QString refused = text("11045", QStringLiteral("can not log in."));
    fail(text("11047", QStringLiteral("User")) + QLatin1Char(' ') + UserName + QLatin1Char(' ') + refused);
    setRow(JobColumn::Status, refused);
}

void DownloadJob::ftpSetUpData()
{
    if (context_.appSettings.UsePASV) {
        ftp_->send("PASV");
        return;
    }
    quint16 port = 0;
    const auto argument = ftp_->listenActive(&port);
    if (!argument) {
        fail(QStringLiteral("No local port is free for the data connection."));
        return;
    }
    DataPort = port;
    ftp_->send("PORT " + *argument);
    ftp_->send("TYPE I");
    PortSent = true;
}

// REST goes out once the transfer type is set and the data connection is
// settled: connected in passive mode, accepted by the server in active mode.
void DownloadJob::ftpSendRestWhenReady()
{
    if (ftpRestSent_ || !ftpTypeSet_ || (!PasvDone && !ftpPortAccepted_))
        return;
    // The position was moved back by the rollback when the job started or resumed.
    segments.SegStart[0] = segments.SegPos[0] - 1;
    ftp_->send("REST " + QByteArray::number(segments.SegStart[0]));
    ftpRestSent_ = true;
    view_.cmdPauseEnabled = false;
    FtpState = 200;
}

// REST refused: nothing to skip for a new file; a partial file is fetched
// again from its start.
void DownloadJob::ftpRestRefused()
{
    view_.lblResume = QStringLiteral("**RESUME NOT SUPPORTED**");
    view_.lblResumeColor = Display::ResumeColor::DarkRed;
    if (segments.SegStart[0] > 0) {
        segments.SegStart[0] = 0;
        segments.SegPos[0] = 1;
        Resuming = false;
        if (QFileInfo::exists(SavePath))
            QFile(SavePath).resize(0);
    }
    ftpSendRetr();
}

// One login fetches the file once: RETR is never sent a second time, so
// the server never sends the file twice over the data connection.
void DownloadJob::ftpSendRetr()
{
    if (ftpRetrSent_)
        return;
    ftpRetrSent_ = true;
    ftp_->send("RETR " + RemotePath.toUtf8());
    setStatus(QStringLiteral("Waiting For File..."), false);
    FtpState = 350;
}

void DownloadJob::ftpRetrReply(const FtpReply& reply)
{
    switch (reply.code) {
    case 125:
    case 150:
        ftpTransferStarts(reply);
        break;
    case 226:
    case 250:
    case 426:
        if (FtpState != 150)
            break;
        setStatus(text("11046", QStringLiteral("Transfer Completed...")), false);
        ftpServerDone_ = true;
        ftpCheckEnd();
        break;
    case 550: {
        const QString notFound = text("11042", QStringLiteral("File Not Found"));
        failed_ = true;
        ftp_->close();
        FtpState = 550;
        tmrTimeOut_.stop();
        view_.lblTimerVisible = false;
        view_.cmdStop = CloseCaption;
        view_.cmdStopEnabled = true;
        view_.cmdPauseEnabled = false;
        setStatus(notFound, true);
        setRow(JobColumn::Status, notFound);
        emit failedWith(notFound);
        break;
    }
    case 425:
        FtpState = 425;
        fail(text("11043", QStringLiteral("Could Not Establish Data Connection")));
        return;
    default:
        if (reply.code >= 400) {
            fail(QStringLiteral("The server could not send the file: %1").arg(reply.text));
            return;
        }
        break;
    }
    changed();
}

void DownloadJob::ftpTransferStarts(const FtpReply& reply)
{
    static const QRegularExpression sizePattern(QStringLiteral("\\((\\d+)\\s*bytes?\\)"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = sizePattern.match(reply.text);
    const qint64 size = match.hasMatch() ? match.captured(1).toLongLong() : -1;
    if (refuseLongerLocalFile(size, Resuming))
        return;
    // The size of the whole file, even when the transfer starts further on.
    ContentLength = size;
    FileSize = ContentLength;
    segments.setLength(ContentLength);
    view_.lblFileSize = ContentLength >= 0 ? FormatSize(static_cast<double>(ContentLength)) : QStringLiteral("N/A");
    setRow(JobColumn::Size, view_.lblFileSize);
    if (ftpRestAccepted_) {
        view_.lblResume = kResumeSupported;
        view_.lblResumeColor = Display::ResumeColor::Green;
    }
    setStatus(text("11051", QStringLiteral("Downloading")), false);
    setRowStatus(view_.lblStatus);
    view_.cmdPauseEnabled = true;
    if (!QFileInfo::exists(SavePath))
        QFile(SavePath).open(QIODevice::WriteOnly);
    LayoutSegmentBars(1);
    if (!openSegmentFile(0))
        return;
    tmrTimeOut_.stop();
    view_.lblTimerVisible = false;
    rateMeter_.reset(TotalReceived() - 1);
    tmrUpdate_.start();
    FtpState = 150;
    ftp_->releaseData();
    changed();
}

// More bytes than the file has are no part of it: the server is sending
// something else (the file a second time, or another file).
void DownloadJob::ftpData(const char* data, qsizetype size)
{
    if (ContentLength >= 0 && segments.SegPos[0] - 1 + size > ContentLength) {
        fail(QStringLiteral("The server sent more than the %1 bytes it announced for the file; the transfer was "
                            "stopped.")
                 .arg(ContentLength));
        return;
    }
    writeData(0, data, size);
}

void DownloadJob::ftpDataClosed()
{
    ftpCheckEnd();
}

// The transfer is over once the server has said so (226) and the data
// connection has closed: a size that was not announced is known now, and a
// file that is still short is fetched on from where it stands.
void DownloadJob::ftpCheckEnd()
{
    if (!ftpServerDone_ || !ftp_ || !ftp_->dataClosed() || completed_ || failed_)
        return;
    if (ContentLength < 0) {
        ContentLength = segments.SegPos[0] - 1;
        segments.setLength(ContentLength);
        FileSize = ContentLength;
        view_.lblFileSize = FormatSize(static_cast<double>(ContentLength));
        setRow(JobColumn::Size, view_.lblFileSize);
    }
    if (isFileDownloaded()) {
        checkCompletionSoon();
        return;
    }
    retryShortReply([this] { restart(); });
}
