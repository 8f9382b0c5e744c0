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

#include <QDir>
#include <QRegularExpression>
#include <QFileInfo>
#include <QUrl>

#include <cmath>

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

// "bytes a-b/total": the first offset and the total (-1 when "*").
struct ContentRange {
    qint64 first = -1;
    qint64 total = -1;
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
        range.first = span.left(span.indexOf('-')).toLongLong(&ok);
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
    setRow(5, status);
    emit statusShown(status, false);
}

// ---------------------------------------------------------------------------
// Start, pause, stop

void DownloadJob::StartDownload()
{
    SetCaptions();
    tmrReconnect_.stop();
    completed_ = failed_ = finished_ = completionQueued_ = probeWithGet_ = rangeless_ = false;
    redirects_ = 0;
    if (context_.FileExistsAction == -2) {
        unload();
        return;
    }
    view_.visible = true;
    view_.txtURL = URL;
    view_.txtSaveTo = SavePath;
    if (context_.FileExistsAction == -1) {
        segments.SegResume.fill(true);
    } else if (context_.FileExistsAction == 0) {
        if (QFileInfo::exists(SavePath)) {
            QFile::setPermissions(SavePath, QFile::permissions(SavePath) | QFileDevice::WriteOwner);
            QFile::remove(SavePath);
        }
        segments.SegResume.fill(false);
    }
    if (IsFTP) {
        segments.layoutSingle(-1);
        ContentLength = -1;
        Resuming = false;
        const qint64 length = QFileInfo(SavePath).size();
        if (context_.FileExistsAction == -1 && QFileInfo::exists(SavePath)) {
            segments.SegStart[0] = std::max<qint64>(0, length - context_.appSettings.Rollback);
            segments.SegPos[0] = segments.SegStart[0] + 1;
            Resuming = true;
        }
        ftpConnect();
        setRow(1, SavePath);
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
    if (isFileDownloaded() || completed_)
        return;
    if (isPaused()) {
        setRowStatus(text("11051", QStringLiteral("Downloading")));
        view_.cmdPause = PauseCaption;
        view_.cmdStopEnabled = true;
        failed_ = false;
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
        segments.rollBackForResume(rollback);
        segmentFailed_.fill(false);
        for (int i = 0; i < segments.connections(); ++i)
            connectSegment(i);
        tmrUpdate_.start();
    } else {
        view_.cmdPause = ResumeCaption;
        view_.cmdStopEnabled = false;
        CloseConnections();
        CurrentRate = 0;
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
    if (segments.NumSegments > 0) {
        const auto answer = context_.prompter.ask(
            text("13021", QStringLiteral("you will not be able to resume this file later(Segmented mode only), Stop?")),
            KevaContext::kTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo);
        if (answer != Prompter::Answer::Yes)
            return;
    }
    view_.cmdPause = ResumeCaption;
    view_.cmdStopEnabled = false;
    FinishTransfer();
    setRowStatus(text("11055", QStringLiteral("Paused/Stopped")));
    changed();
}

void DownloadJob::CloseConnections()
{
    tmrUpdate_.stop();
    view_.lblTransferRate = kNoRate;
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
    tmrTimeOut_.stop();
    view_.ProgressBar1 = percent(ReceivedBytes, ContentLength);
    if (segments.NumSegments > 0)
        view_.PVProgressBar.fill(100);
    closeFiles();
    CurrentRate = 0;
    finished_ = true;
    view_.lblRecievedSize = FormatSize(static_cast<double>(TotalReceived() - 1));
    view_.lblTransferRate = kNoRate;
    view_.lblTimeRemaining = FormatDuration(0);
    view_.cmdOpenVisible = view_.cmdGotoDirVisible = true;
    view_.cmdPauseEnabled = false;
    view_.cmdStopEnabled = true;
    view_.cmdStop = CloseCaption;
    setRow(4, view_.lblRecievedSize);
    // Only a file that has every byte is a success; a stopped one is not.
    if (isFileDownloaded()) {
        setStatus(text("11046", QStringLiteral("Transfer Completed...")), false);
        setRowStatus(text("11052", QStringLiteral("Download Success")));
    } else if (!failed_) {
        setStatus(text("11055", QStringLiteral("Paused/Stopped")), false);
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
    tmrTimeOut_.stop();
    CurrentRate = 0;
    setStatus(message, true);
    setRow(5, message);
    setRow(2, QStringLiteral("0 %"));
    view_.cmdPauseEnabled = false;
    view_.cmdStopEnabled = false;
    changed();
    emit failedWith(message);
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
    setRow(1, SavePath);
    setRow(3, view_.lblFileSize);
    if (context_.appSettings.StopResume) {
        tmrReconnect_.setInterval(100);
        tmrReconnect_.start();
    }
    Check_Create(size);
}

// ---------------------------------------------------------------------------
// Segments

void DownloadJob::Check_Create(qint64 size)
{
    ContentLength = size;
    int count = SegmentTable::segmentsFor(size, context_.appSettings, segments.NumSegments);
    if (context_.FileExistsAction == -1 || !rangesSupported_ || size < 0)
        count = 0;

    if (!QFileInfo::exists(SavePath)) {
        QFile create(SavePath);
        create.open(QIODevice::WriteOnly);
    }
    if (count == 0) {
        segments.layoutSingle(size);
        LayoutSegmentBars(1);
    } else {
        segments.layoutSegments(size, count);
        LayoutSegmentBars(count);
    }
    if (context_.FileExistsAction == -1)
        SetSegIndecies();
    else
        segments.SegResume.fill(false);

    segmentFailed_.fill(false);
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
    qint64 length = QFileInfo(SavePath).size();
    if (ContentLength >= 0)
        length = std::min(length, ContentLength); // a longer file is cut to size at the end
    segments.SetSegIndecies(length, context_.appSettings.Rollback);
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
        if (ContentLength >= 0 && range && range->first == asked)
            return;
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
    // An error reply: its body is no part of the file.
    connection.close();
    segmentFailed_[static_cast<std::size_t>(i)] = true;
    const QString message = HttpFailureText(code, reply.reasonPhrase());
    setStatus(message, true);
    setRow(5, message);
}

void DownloadJob::restartFromZero()
{
    for (auto& connection : wsHTTP) {
        if (connection)
            connection->close();
    }
    rangesSupported_ = false;
    rangeless_ = true;
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
    if (ContentLength >= 0 && segments.segmentDone(i))
        wsHTTP[at]->close();
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
            segments.SegStart[1] = ContentLength;
            view_.lblFileSize = FormatSize(static_cast<double>(ContentLength));
            setRow(3, view_.lblFileSize);
            checkCompletionSoon();
        } else {
            restartFromZero();
        }
        return;
    }
    if (isFileDownloaded()) {
        checkCompletionSoon();
        return;
    }
    if (segments.segmentDone(i) || isPaused())
        return;
    // Closed before the segment's end: go on from where it stands. A
    // connection that brought nothing is retried after a pause, not at once.
    segments.SegResume[at] = true;
    const bool brought = wsHTTP[at]->deliveredBody();
    QTimer::singleShot(brought ? 0 : 1000, this, [this, i] {
        if (!isPaused() && !completed_ && !failed_ && !segments.segmentDone(i) && !wsHTTP[static_cast<std::size_t>(i)]->isOpen())
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
    setRow(2, QString::number(view_.ProgressBar1) + QLatin1Char('%'));
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
    const double rate = static_cast<double>(received - LastTotal) * 2.0;
    view_.lblTransferRate = FormatSize(rate) + QStringLiteral(" /Second");
    CurrentRate = rate;
    ElapsedSeconds += 0.5;
    if (ContentLength > 0) {
        const double remaining = static_cast<double>(ContentLength - received - 1)
                               / (2.0 * static_cast<double>(received + 1 - LastTotal));
        view_.lblTimeRemaining = FormatDuration(remaining);
    }
    LastTotal = received;
    view_.lblElapsedTime = FormatDuration(std::floor(ElapsedSeconds));
    setRow(4, view_.lblRecievedSize);
    changed();
}

void DownloadJob::complete()
{
    if (completed_)
        return;
    completed_ = true;
    CloseConnections();
    // A partial file that was longer than this one keeps no stale tail.
    if (SegFile[0] && SegFile[0]->size() > ContentLength)
        SegFile[0]->resize(ContentLength);
    else if (QFileInfo(SavePath).size() > ContentLength)
        QFile(SavePath).resize(ContentLength);
    const qint64 bytes = TotalReceived() - 1;
    view_.ProgressBar1 = 100;
    view_.lblPer = QStringLiteral("100%");
    view_.caption = FileName + QStringLiteral(" [100%]");
    setRow(2, QStringLiteral("100%"));
    FinishTransfer();
    tmrReconnect_.stop();

    AppSettings& settings = context_.appSettings;
    settings.Downloads += 1;
    settings.AllBytes += static_cast<double>(bytes);
    CRegister reg(context_.registry);
    const auto hklm = RegistryRoot::HKEY_LOCAL_MACHINE;
    reg.REGSaveSetting(hklm, SettingsDefaults::kSettingsKey, QStringLiteral("Downloads"), QString::number(settings.Downloads));
    reg.REGSaveSetting(hklm, SettingsDefaults::kSettingsKey, QStringLiteral("AllBytes"),
                       QString::number(settings.AllBytes, 'f', 0));
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
        tmrTimeOut_.stop();
        fail(kTimedOut);
        setRow(2, kTimedOut);
    }
}

void DownloadJob::tmrReconnect_Timer()
{
    const qint64 current = TotalReceived();
    ReceivedBytes = current - 1;
    if (current != LastTotal) {
        StalledSeconds = 0;
    } else {
        const double seconds = static_cast<double>(tmrReconnect_.interval()) / 1000.0 + StalledSeconds;
        StalledSeconds = static_cast<int>(std::nearbyint(seconds));
        tmrReconnect_.setInterval(ReconnectAttempts > 1 ? context_.appSettings.RetryTime * 1000 : 30000);
        const AppSettings& settings = context_.appSettings;
        const auto pauseAndResume = [this] {
            Pause_Resume();
            Pause_Resume();
        };
        if (StalledSeconds >= settings.RetryTime && ReconnectAttempts <= settings.Retries) {
            if (view_.lblResume == kResumeSupported && StalledSeconds >= settings.TimeResume) {
                if (settings.Retry) {
                    ++ReconnectAttempts;
                    StalledSeconds = 0;
                    pauseAndResume();
                }
            } else {
                ++ReconnectAttempts;
                pauseAndResume();
            }
        } else if (StalledSeconds >= settings.TimeNoResume) {
            ++ReconnectAttempts;
            StalledSeconds = 0;
            pauseAndResume();
        }
    }
    LastTotal = current;
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
    FtpState = 0;
    PasvDone = false;
    // Every control connection needs its own PORT: the server forgets the
    // data port of an earlier one.
    PortSent = false;
    ftpServerDone_ = false;
    ftp_->open(Server, Port);
}

void DownloadJob::StartLoginFTP(const FtpReply& reply)
{
    InteractionLog += reply.text + QStringLiteral("\r\n");
    const int code = reply.code;
    const auto statusAndRow = [this](const QString& status) {
        setStatus(status, false);
        setRowStatus(status);
    };
    switch (code) {
    case 220:
        if (FtpState != 0)
            break;
        ftp_->send("USER " + UserName.toUtf8());
        statusAndRow(text("11049", QStringLiteral("Logging In...")));
        view_.cmdStopEnabled = true;
        FtpState = 220;
        break;
    case 331:
        ftp_->send("PASS " + Password.toUtf8());
        FtpState = 331;
        break;
    case 230:
        if (FtpState == 230)
            break; // a second 230 line of the same login
        view_.txtURL = URL;
        setStatus(text("11050", QStringLiteral("Connected... Setting Up Transfer!")), false);
        setRowStatus(text("11048", QStringLiteral("Connected")));
        TimeoutLeft = context_.appSettings.Timeout;
        tmrTimeOut_.start();
        FtpState = 230;
        PasvDone = false;
        ftpSetUpData();
        break;
    case 227:
        if (FtpState != 227 && !PasvDone) {
            quint16 port = 0;
            if (!ftp_->connectPassive(reply.text, &port)) {
                fail(QStringLiteral("The server's passive reply names no address: %1").arg(reply.text));
                return;
            }
            DataPort = port;
            PasvDone = true;
            ftp_->send("TYPE I");
            FtpState = 227;
        } else {
            context_.prompter.tell(text("11036", QString()), KevaContext::kTitle, Prompter::Icon::Exclamation);
            ftp_->close();
        }
        break;
    case 200:
        if (FtpState == 200)
            break;
        // The position was moved back by the rollback when the job started or resumed.
        segments.SegStart[0] = segments.SegPos[0] - 1;
        ftp_->send("REST " + QByteArray::number(segments.SegStart[0]));
        view_.lblResume = QStringLiteral("** Resume Supported **");
        view_.lblResumeColor = Display::ResumeColor::Green;
        view_.cmdPauseEnabled = false;
        FtpState = 200;
        break;
    case 350:
        if (FtpState == 350)
            break;
        ftpSendRetr();
        break;
    case 504:
    case 502:
    case 500:
    case 501:
    case 550:
    case 554:
        if (FtpState == 200) {
            // REST refused: nothing to skip for a new file; a partial file is
            // fetched again from its start.
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
            break;
        }
        if (code == 550 && FtpState == 350) {
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
            setRow(5, notFound);
            emit failedWith(notFound);
        }
        break;
    case 125:
    case 150: {
        static const QRegularExpression sizePattern(QStringLiteral("\\((\\d+)\\s*bytes?\\)"),
                                                    QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = sizePattern.match(reply.text);
        const qint64 size = match.hasMatch() ? match.captured(1).toLongLong() : -1;
        // The size of the whole file, even when the transfer starts further on.
        ContentLength = size;
        FileSize = ContentLength;
        segments.SegStart[1] = ContentLength;
        view_.lblFileSize = ContentLength >= 0 ? FormatSize(static_cast<double>(ContentLength)) : QStringLiteral("N/A");
        setRow(3, view_.lblFileSize);
        statusAndRow(text("11051", QStringLiteral("Downloading")));
        view_.cmdPauseEnabled = true;
        if (!QFileInfo::exists(SavePath))
            QFile(SavePath).open(QIODevice::WriteOnly);
        LayoutSegmentBars(1);
        if (!openSegmentFile(0))
            return;
        tmrTimeOut_.stop();
        view_.lblTimerVisible = false;
        tmrUpdate_.start();
        FtpState = 150;
        ftp_->releaseData();
        break;
    }
    case 425:
        failed_ = true;
        FtpState = 425;
        statusAndRow(text("11043", QStringLiteral("Could Not Establish Data Connection")));
        view_.lblStatusIsError = true;
        ftp_->close();
        emit failedWith(view_.lblStatus);
        break;
    case 226:
    case 426:
        if (FtpState != 150)
            break;
        setStatus(text("11046", QStringLiteral("Transfer Completed...")), false);
        ftpServerDone_ = true;
        ftpCheckEnd();
        break;
    case 530: {
        // "User alice can not log in."
        const QString message = text("11047", QStringLiteral("User")) + QLatin1Char(' ') + UserName + QLatin1Char(' ')
                              + text("11045", QStringLiteral("can not log in."));
        failed_ = true;
        ftp_->close();
        tmrTimeOut_.stop();
        setStatus(message, true);
        setRowStatus(text("11045", QStringLiteral("can not log in.")));
        emit failedWith(message);
        break;
    }
    default:
        break;
    }
    changed();
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

void DownloadJob::ftpSendRetr()
{
    ftp_->send("RETR " + RemotePath.toUtf8());
    setStatus(QStringLiteral("Waiting For File..."), false);
    FtpState = 350;
}

void DownloadJob::ftpData(const char* data, qsizetype size)
{
    qint64 take = size;
    if (ContentLength >= 0)
        take = std::min<qint64>(take, ContentLength - (segments.SegPos[0] - 1));
    if (take > 0)
        writeData(0, data, take);
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
    if (!ftpServerDone_ || !ftp_ || !ftp_->dataClosed() || completed_)
        return;
    if (ContentLength < 0) {
        ContentLength = segments.SegPos[0] - 1;
        segments.SegStart[1] = ContentLength;
        FileSize = ContentLength;
        view_.lblFileSize = FormatSize(static_cast<double>(ContentLength));
        setRow(3, view_.lblFileSize);
    }
    if (isFileDownloaded()) {
        checkCompletionSoon();
        return;
    }
    Pause_Resume();
    Pause_Resume();
}
