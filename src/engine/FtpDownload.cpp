#include "engine/FtpDownload.h"

#include "engine/DownloadJob.h"
#include "settings/KevaContext.h"

#include <QFileInfo>

FtpDownload::FtpDownload(DownloadJob& job)
    : job_(job)
    , dialogue_(job.connections_, job.context_.text,
                {
                    [this](const FtpReply& reply) {
                        job_.InteractionLog += reply.text + QStringLiteral("\r\n");
                        if (job_.tmrTimeOut_.isActive())
                            job_.TimeoutLeft = job_.context_.appSettings.Timeout;
                    },
                    [this](FtpStep step) { stepReached(step); },
                    [this](qint64 size, const QByteArray& modified) { return fileFacts(size, modified); },
                    [this](qint64 size, bool restAccepted) { return transferStarts(size, restAccepted); },
                    [this](const char* bytes, qsizetype size) { data(bytes, size); },
                    [this] { restRefused(); },
                    [this] { ended(); },
                    [this](const QString& message) { job_.fail(message); },
                    [this] { loginRefused(); },
                    [this] { notFound(); },
                    [this](const QString& message) {
                        job_.context_.prompter.tell(message, KevaContext::kTitle, Prompter::Icon::Exclamation);
                    },
                })
{
}

// A new start. A resume goes on where the resume data says, or (without
// any, as files of other programs) from the end of the existing file.
void FtpDownload::start(bool resume)
{
    SegmentTable& segments = job_.segments_;
    const qint64 rollback = job_.context_.appSettings.Rollback;
    segments.layoutSingle(-1);
    job_.ContentLength = -1;
    resuming_ = false;
    known_.reset();
    factsSize_ = -1;
    modified_.clear();
    if (resume && QFileInfo::exists(job_.SavePath)) {
        const ResumeFile::Loaded loaded = ResumeFile::load(job_.SavePath);
        if (loaded.present && !loaded.record) {
            // Damaged: the job fails, or a file without bytes starts from 0.
            std::optional<ResumeRecord> none;
            if (!job_.takeResumeData(loaded, -1, &none))
                return;
        } else if (loaded.present && loaded.record->segments.size() == 1) {
            known_ = loaded;
            segments.resumeFrom(*loaded.record, rollback);
            segments.setLength(-1);
            resuming_ = true;
        } else {
            segments.SegPos[0] = std::max<qint64>(0, QFileInfo(job_.SavePath).size() - rollback) + 1;
            resuming_ = true;
        }
    }
    connect();
}

void FtpDownload::resume()
{
    SegmentTable& segments = job_.segments_;
    segments.SegPos[0] = std::max<qint64>(0, segments.SegPos[0] - 1 - job_.context_.appSettings.Rollback) + 1;
    resuming_ = true;
    if (job_.ContentLength >= 0) {
        ResumeFile::Loaded loaded;
        loaded.present = true;
        loaded.record = ResumeRecord {job_.URL, job_.ContentLength, {}, modified_, {}};
        known_ = loaded;
    }
    connect();
}

bool FtpDownload::resumable() const
{
    return job_.ContentLength >= 0;
}

void FtpDownload::connect()
{
    // The connection, the greeting and every reply until the data flows
    // must come within the time-out.
    job_.view_.lblTimerVisible = true;
    job_.restartTimeOut();
    dialogue_.start(job_.parts_, job_.segments_.SegPos[0] - 1, job_.context_.appSettings.UsePASV);
}

// Before REST: a partial file whose remote file has changed since its bytes
// came (another size or time) is fetched again from 0; one longer than the
// remote file is left alone.
qint64 FtpDownload::fileFacts(qint64 size, const QByteArray& modified)
{
    SegmentTable& segments = job_.segments_;
    modified_ = modified;
    factsSize_ = size;
    job_.resume_.setValidators({}, modified);
    if (known_ && resuming_) {
        std::optional<ResumeRecord> record;
        if (!job_.takeResumeData(*known_, size >= 0 ? size : known_->record->size, &record))
            return 0;
        if (!record) {
            segments.layoutSingle(-1);
            resuming_ = false;
        }
    }
    known_.reset();
    job_.refuseLongerLocalFile(size, resuming_);
    return segments.SegPos[0] - 1;
}

void FtpDownload::stepReached(FtpStep step)
{
    switch (step) {
    case FtpStep::UserSent:
        job_.setStatus(job_.text("11049", QStringLiteral("Logging In...")), false);
        job_.setRowStatus(job_.view_.lblStatus);
        job_.view_.cmdStopEnabled = true;
        break;
    case FtpStep::LoggedIn:
        job_.view_.txtURL = job_.URL;
        job_.setStatus(job_.text("11050", QStringLiteral("Connected... Setting Up Transfer!")), false);
        job_.setRowStatus(job_.text("11048", QStringLiteral("Connected")));
        break;
    case FtpStep::RestSent: job_.view_.cmdPauseEnabled = false; break;
    case FtpStep::RetrSent: job_.setStatus(job_.text("11069", QStringLiteral("Waiting For File...")), false); break;
    case FtpStep::ServerDone: job_.setStatus(job_.text("11046", QStringLiteral("Transfer Completed...")), false); break;
    default: break;
    }
    job_.changed();
}

// REST refused: nothing to skip for a new file; a partial file is fetched
// again from its start.
void FtpDownload::restRefused()
{
    job_.view_.lblResume = job_.text("04020", QStringLiteral("**RESUME NOT SUPPORTED**"));
    job_.view_.lblResumeColor = DownloadDisplay::ResumeColor::DarkRed;
    SegmentTable& segments = job_.segments_;
    if (segments.SegPos[0] > 1) {
        segments.SegPos[0] = 1;
        resuming_ = false;
        if (QFileInfo::exists(job_.SavePath))
            QFile(job_.SavePath).resize(0);
    }
}

bool FtpDownload::transferStarts(qint64 announced, bool restAccepted)
{
    const qint64 size = announced >= 0 ? announced : factsSize_;
    if (job_.refuseLongerLocalFile(size, resuming_))
        return false;
    // The size of the whole file, even when the transfer starts further on.
    job_.ContentLength = size;
    job_.segments_.setLength(size);
    job_.showSize();
    if (restAccepted) {
        job_.view_.lblResume = job_.text("04019", QStringLiteral("** Resume Supported **"));
        job_.view_.lblResumeColor = DownloadDisplay::ResumeColor::Green;
    }
    job_.setStatus(job_.text("11051", QStringLiteral("Downloading")), false);
    job_.setRowStatus(job_.view_.lblStatus);
    job_.createTarget();
    job_.view_.layoutSegmentBars(1);
    QString error;
    if (!job_.files_.open(0, &error)) {
        job_.fail(error);
        return false;
    }
    job_.tmrTimeOut_.stop();
    job_.view_.lblTimerVisible = false;
    job_.setPhase(JobPhase::Transferring);
    job_.progress_.reset(job_.TotalReceived() - 1);
    job_.tmrUpdate_.start();
    return true;
}

// More bytes than the file has are no part of it: the server is sending
// something else (the file a second time, or another file).
void FtpDownload::data(const char* bytes, qsizetype size)
{
    qint64& position = job_.segments_.SegPos[0];
    const qint64 length = job_.ContentLength;
    if (length >= 0 && position - 1 + size > length) {
        job_.fail(job_.text("11070",
                            QStringLiteral("The server sent more than the %1 bytes it announced for the "
                                           "file; the transfer was stopped."))
                      .arg(length));
        return;
    }
    QString error;
    if (!job_.files_.write(0, position - 1, bytes, size, &error)) {
        job_.writeFailed(error);
        return;
    }
    position += size;
    job_.Update(0);
}

// The server has sent the file and the data connection has closed: a size
// that was not announced is known now, and a file that is still short is
// fetched on from where it stands.
void FtpDownload::ended()
{
    if (job_.completed() || job_.failed())
        return;
    if (job_.ContentLength < 0) {
        job_.ContentLength = job_.segments_.SegPos[0] - 1;
        job_.segments_.setLength(job_.ContentLength);
        job_.showSize();
    }
    if (job_.isFileDownloaded()) {
        job_.checkCompletionSoon();
        return;
    }
    job_.retryShortReply([this] { job_.restart(); });
}

void FtpDownload::notFound()
{
    const QString text = job_.text("11042", QStringLiteral("File Not Found"));
    job_.tmrTimeOut_.stop();
    job_.view_.lblTimerVisible = false;
    job_.setPhase(JobPhase::NotFound);
    job_.setStatus(text, true);
    job_.setRow(JobColumn::Status, text);
    emit job_.failedWith(text);
}

void FtpDownload::loginRefused()
{
    // "User alice can not log in."
    const QString refused = job_.text("11045", QStringLiteral("can not log in."));
    job_.fail(job_.text("11047", QStringLiteral("User")) + QLatin1Char(' ') + job_.parts_.UserName + QLatin1Char(' ')
              + refused);
    job_.setRow(JobColumn::Status, refused);
}
