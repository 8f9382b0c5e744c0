#include "engine/HttpDownload.h"

#include "core/TextLookup.h"
#include "engine/DownloadDisplay.h"
#include "engine/DownloadTarget.h"
#include "engine/JobList.h"
#include "engine/ProtocolJob.h"
#include "engine/ProxyPolicy.h"
#include "engine/RequestOptionsFile.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFileInfo>

HttpDownload::HttpDownload(ProtocolJob& job)
    : job_(job)
    , probe_(job.connections(), job.proxies(),
             {
                 [this](const QString& header) {
                     job_.stopTimeOut();
                     job_.log(header);
                 },
                 [this](const QString& url) { return redirected(url); },
                 [this](const HttpProbe::Result& result) { probed(result); },
                 [this](const QString& message) { job_.fail(message); },
             })
    , transfer_(job.segments(), job.files(), job.connections(),
                {
                    [this](const QString& header) { job_.log(header); },
                    [this](int segment) { job_.segmentProgressed(segment); },
                    [this](qint64 size) { job_.sizeKnown(size); },
                    [this] { job_.checkCompletionSoon(); },
                    [this](const std::function<void()>& again) { job_.retryShortReply(again); },
                    [this](const QString& message) { job_.fail(message); },
                    [this](const QString& error) { job_.writeFailed(error); },
                    [this] { rangesFailed(); },
                    [this](int from, int to) {
                        job_.segmentProgressed(from);
                        job_.segmentProgressed(to);
                        job_.saveResumeState();
                    },
                    [this](int code, const QString& description) { networkError(code, description); },
                    [this] { return job_.transferGoesOn(); },
                })
{
    probe_.setIdentity(&identity_);
    probe_.setAskLogin([this](const QString& server) { return job_.loginFor(server); });
    transfer_.setIdentity(&identity_);
}

void HttpDownload::start()
{
    probed_ = false;
    transfer_.allowRanges();
    const RequestOptions& options = job_.requestOptions();
    identity_ = RequestIdentity(options, job_.urlParts().Server);
    if (!options.isEmpty())
        RequestOptionsFile::save(job_.target().path(), job_.url(), options);
    probe_.start(job_.url(), job_.urlParts(), probesWithHead());
}

// A file resumed from its own bytes wants none from the start of the remote
// one: it asks with HEAD. Any other asks for the file itself, whose reply
// tells what HEAD would and brings the first bytes with it.
bool HttpDownload::probesWithHead() const
{
    return job_.target().choice() == FileExistsChoice::Resume;
}

void HttpDownload::resume()
{
    transfer_.resetRates();
    if (!probed_) {
        // Timed out before the size was known: probe again.
        job_.setPhase(JobPhase::Probing);
        probe_.start(job_.url(), job_.urlParts(), probesWithHead());
        job_.restartTimeOut();
        return;
    }
    job_.setPhase(JobPhase::Transferring);
    job_.segments().rollBackForResume(job_.settings().Rollback);
    transfer_.clearFailures();
    transfer_.connectAll();
    job_.startUpdates();
}

void HttpDownload::close()
{
    probe_.close();
    transfer_.closeAll();
}

bool HttpDownload::resumable() const
{
    return probed_ && rangesSupported_ && job_.contentLength() >= 0 && !transfer_.rangeless();
}

std::optional<UrlParts> HttpDownload::redirected(const QString& url)
{
    const UrlParts& parts = job_.moveTo(url);
    if (!parts.IsHTTP) {
        job_.fail(job_.text("11071", QStringLiteral("The server redirects to %1, which can not be fetched over HTTP."))
                      .arg(url));
        return std::nullopt;
    }
    job_.restartTimeOut();
    job_.showChanges();
    return parts;
}

void HttpDownload::probed(const HttpProbe::Result& result)
{
    if (!result.fileName.isEmpty() && !takeServerName(result.fileName))
        return;
    job_.target().resumeData().setValidators(result.etag, result.lastModified);
    rangesSupported_ = result.rangesSupported;
    job_.sizeKnown(result.size);
    job_.display().showResume(rangesSupported_ && result.size >= 0
                                  ? job_.text("04019", QStringLiteral("** Resume Supported **"))
                                  : QString());
    job_.setRow(JobColumn::SavePath, job_.target().path());
    job_.startWatchdog();
    Check_Create(result.size);
}

bool HttpDownload::takeServerName(const QString& name)
{
    const QFileInfo current(job_.target().path());
    if (!job_.takesServerFileName() || job_.target().choice() != FileExistsChoice::Overwrite
        || name == current.fileName())
        return true;
    const QString path = current.dir().filePath(name);
    FileExistsChoice choice = FileExistsChoice::Overwrite;
    if (QFileInfo::exists(path)) {
        // No byte comes in while the user is asked: the transfer asks again.
        probe_.close();
        choice = job_.choiceForExisting(path);
    }
    if (choice == FileExistsChoice::Keep) {
        job_.fail(job_.text("11086",
                            QStringLiteral("The server names the file %1, and a file of that name is kept; "
                                           "nothing was downloaded."))
                      .arg(job_.texts().leftToRight(path)));
        return false;
    }
    RequestOptionsFile::remove(job_.target().path());
    job_.retarget(path, name, choice);
    if (!identity_.options().isEmpty())
        RequestOptionsFile::save(path, job_.url(), identity_.options());
    return true;
}

// Lays the file out for its transfer: each segment from where the resume
// data left it, or the file's length (for a file one connection wrote), or
// new segments; then starts the transfer.
void HttpDownload::Check_Create(qint64 size)
{
    DownloadTarget& target = job_.target();
    const QString& savePath = target.path();
    const AppSettings& settings = job_.settings();
    SegmentTable& segments = job_.segments();
    bool resume = target.choice() == FileExistsChoice::Resume;
    std::optional<ResumeRecord> record;
    if (resume) {
        const ResumeFile::Loaded loaded = ResumeFile::load(savePath);
        if (loaded.present) {
            if (!target.takeResumeData(loaded, size, &record))
                return;
            resume = record.has_value();
        } else if (target.refuseLongerLocalFile(size, true)) {
            return;
        }
    }
    // The file is laid out from here on: a resume fetches instead of probing.
    probed_ = true;
    int count = SegmentTable::segmentsFor(size, settings, segments.NumSegments);
    if (resume || !rangesSupported_ || size < 0)
        count = 0;

    target.create();
    if (record) {
        segments.resumeFrom(*record, settings.Rollback);
    } else if (count == 0) {
        segments.layoutSingle(size);
        if (resume)
            segments.SetSegIndecies(QFileInfo(savePath).size(), settings.Rollback);
    } else {
        segments.layoutSegments(size, count);
    }
    if (!resume)
        segments.SegResume.fill(false);
    job_.display().layoutSegmentBars(segments.connections());
    job_.saveResumeState();

    job_.setPhase(JobPhase::Transferring);
    transfer_.setTarget(job_.urlParts(), size, job_.proxies().routeFor(job_.urlParts()));
    transfer_.clearFailures();
    transfer_.resetRates();
    job_.transferBegins();
    if (size == 0) {
        QString error;
        if (!job_.files().open(0, &error)) {
            job_.fail(error);
            return;
        }
        job_.checkCompletionSoon();
    } else {
        // The probe's reply goes on with the file's first bytes, unless
        // the file goes on from bytes of its own.
        if (!resume && !transfer_.takeFirstReply(probe_.takeConnection()))
            return;
        transfer_.connectAll();
    }
    job_.startUpdates();
    job_.showChanges();
}

// The server mishandles ranges: the file comes again from its start, on one
// connection, and cannot be resumed.
void HttpDownload::rangesFailed()
{
    rangesSupported_ = false;
    job_.target().resumeData().remove();
    job_.display().showResume(QString());
    job_.display().layoutSegmentBars(1);
    job_.showChanges();
}

void HttpDownload::networkError(int code, const QString& description)
{
    job_.tell(job_.text("11033", QString()) + QStringLiteral("\r\n") + job_.text("11034", QString())
                  + QString::number(code) + QStringLiteral("\r\n") + description,
              job_.text("11035", QString()));
}
