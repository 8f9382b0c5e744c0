#include "engine/HttpDownload.h"

#include "engine/DownloadJob.h"
#include "engine/RequestOptionsFile.h"
#include "settings/KevaContext.h"

#include <QDir>
#include <QFileInfo>

HttpDownload::HttpDownload(DownloadJob& job)
    : job_(job)
    , probe_(job.connections_, job.proxies_,
             {
                 [this](const QString& header) {
                     job_.tmrTimeOut_.stop();
                     job_.log(header);
                 },
                 [this](const QString& url) { return redirected(url); },
                 [this](const HttpProbe::Result& result) { probed(result); },
                 [this](const QString& message) { job_.fail(message); },
             })
    , transfer_(job.segments_, job.files_, job.connections_,
                {
                    [this](const QString& header) { job_.log(header); },
                    [this](int segment) { job_.Update(segment); },
                    [this](qint64 size) {
                        job_.ContentLength = size;
                        job_.showSize();
                    },
                    [this] { job_.checkCompletionSoon(); },
                    [this](const std::function<void()>& again) { job_.retryShortReply(again); },
                    [this](const QString& message) { job_.fail(message); },
                    [this](const QString& error) { job_.writeFailed(error); },
                    [this] { rangesFailed(); },
                    [this](int from, int to) {
                        job_.Update(from);
                        job_.Update(to);
                        job_.saveResumeState();
                    },
                    [this](int code, const QString& description) { networkError(code, description); },
                    [this] { return job_.transferGoesOn(); },
                },
                &job)
{
    probe_.setIdentity(&identity_);
    probe_.setAskLogin(
        [this](const QString& server) { return job_.askLogin ? job_.askLogin(server) : std::optional<SiteLogin>(); });
    transfer_.setIdentity(&identity_);
}

void HttpDownload::start()
{
    probed_ = false;
    transfer_.allowRanges();
    identity_ = RequestIdentity(job_.options_, job_.parts_.Server);
    if (!job_.options_.isEmpty())
        RequestOptionsFile::save(job_.SavePath, job_.URL, job_.options_);
    probe_.start(job_.URL, job_.parts_);
}

void HttpDownload::resume()
{
    transfer_.resetRates();
    if (!probed_) {
        // Timed out before the size was known: probe again.
        job_.setPhase(JobPhase::Probing);
        probe_.start(job_.URL, job_.parts_);
        job_.restartTimeOut();
        return;
    }
    job_.setPhase(JobPhase::Transferring);
    job_.segments_.rollBackForResume(job_.context_.appSettings.Rollback);
    transfer_.clearFailures();
    transfer_.connectAll();
    job_.tmrUpdate_.start();
}

void HttpDownload::close()
{
    probe_.close();
    transfer_.closeAll();
}

bool HttpDownload::resumable() const
{
    return probed_ && rangesSupported_ && job_.ContentLength >= 0 && !transfer_.rangeless();
}

std::optional<UrlParts> HttpDownload::redirected(const QString& url)
{
    job_.URL = url;
    job_.view_.txtURL = url;
    job_.parts_ = SplitUrl(url, job_.context_.dialogSettings.lstLogin);
    if (!job_.parts_.IsHTTP) {
        job_.fail(job_.text("11071", QStringLiteral("The server redirects to %1, which can not be fetched over HTTP."))
                      .arg(url));
        return std::nullopt;
    }
    job_.restartTimeOut();
    job_.changed();
    return job_.parts_;
}

void HttpDownload::probed(const HttpProbe::Result& result)
{
    if (!result.fileName.isEmpty() && !takeServerName(result.fileName))
        return;
    job_.resume_.setValidators(result.etag, result.lastModified);
    rangesSupported_ = result.rangesSupported;
    job_.ContentLength = result.size;
    job_.showSize();
    job_.view_.lblResume = rangesSupported_ && result.size >= 0
        ? job_.text("04019", QStringLiteral("** Resume Supported **"))
        : QString();
    job_.setRow(JobColumn::SavePath, job_.SavePath);
    job_.startWatchdog();
    Check_Create(result.size);
}

bool HttpDownload::takeServerName(const QString& name)
{
    const QFileInfo current(job_.SavePath);
    if (!job_.serverFileName_ || job_.fileExistsAction_ != 0 || name == current.fileName())
        return true;
    const QString path = current.dir().filePath(name);
    int action = 0;
    if (QFileInfo::exists(path) && job_.askFileExists)
        action = job_.askFileExists(path);
    if (action == -2) {
        job_.fail(job_.text("11086",
                            QStringLiteral("The server names the file %1, and a file of that name is kept; "
                                           "nothing was downloaded."))
                      .arg(job_.context_.text.leftToRight(path)));
        return false;
    }
    RequestOptionsFile::remove(job_.SavePath);
    job_.retarget(path, action);
    job_.parts_.FileName = name;
    if (!identity_.options().isEmpty())
        RequestOptionsFile::save(path, job_.URL, identity_.options());
    return true;
}

// Lays the file out for its transfer: each segment from where the resume
// data left it, or the file's length (for a file one connection wrote), or
// new segments; then starts the transfer.
void HttpDownload::Check_Create(qint64 size)
{
    const QString& savePath = job_.SavePath;
    const AppSettings& settings = job_.context_.appSettings;
    SegmentTable& segments = job_.segments_;
    bool resume = job_.fileExistsAction_ == -1;
    std::optional<ResumeRecord> record;
    if (resume) {
        const ResumeFile::Loaded loaded = ResumeFile::load(savePath);
        if (loaded.present) {
            if (!job_.takeResumeData(loaded, size, &record))
                return;
            resume = record.has_value();
        } else if (job_.refuseLongerLocalFile(size, true)) {
            return;
        }
    }
    // The file is laid out from here on: a resume fetches instead of probing.
    probed_ = true;
    int count = SegmentTable::segmentsFor(size, settings, segments.NumSegments);
    if (resume || !rangesSupported_ || size < 0)
        count = 0;

    job_.createTarget();
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
    job_.view_.layoutSegmentBars(segments.connections());
    job_.saveResumeState();

    job_.setPhase(JobPhase::Transferring);
    transfer_.setTarget(job_.parts_, size, job_.proxies_.routeFor(job_.parts_));
    transfer_.clearFailures();
    transfer_.resetRates();
    job_.transferBegins();
    if (size == 0) {
        QString error;
        if (!job_.files_.open(0, &error)) {
            job_.fail(error);
            return;
        }
        job_.checkCompletionSoon();
    } else {
        transfer_.connectAll();
    }
    job_.tmrUpdate_.start();
    job_.changed();
}

// The server mishandles ranges: the file comes again from its start, on one
// connection, and cannot be resumed.
void HttpDownload::rangesFailed()
{
    rangesSupported_ = false;
    job_.resume_.remove();
    job_.view_.lblResume.clear();
    job_.view_.layoutSegmentBars(1);
    job_.changed();
}

void HttpDownload::networkError(int code, const QString& description)
{
    job_.context_.prompter.tell(job_.text("11033", QString()) + QStringLiteral("\r\n") + job_.text("11034", QString())
                                    + QString::number(code) + QStringLiteral("\r\n") + description,
                                job_.text("11035", QString()), Prompter::Icon::Exclamation);
}
