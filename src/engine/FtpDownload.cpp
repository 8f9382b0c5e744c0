#include "engine/FtpDownload.h"

#include "core/ProgramTitle.h"
#include "engine/DownloadDisplay.h"
#include "engine/DownloadTarget.h"
#include "engine/JobList.h"
#include "engine/ProtocolJob.h"
#include "engine/SegmentFiles.h"
#include "engine/SegmentTable.h"
#include "settings/AppSettings.h"
#include "settings/KevaContext.h"

#include <QFileInfo>

FtpDownload::FtpDownload(ProtocolJob& job)
    : job_(job)
    , dialogue_(job.connections(), job.texts(),
                {
                    [this](const FtpReply& reply) {
                        job_.logLine(reply.text);
                        job_.renewTimeOut();
                    },
                    [this](FtpStep step) { stepReached(step); },
                    [this](qint64 size, const QByteArray& modified) { return fileFacts(size, modified); },
                    [this](qint64 size, bool restAccepted) { return transferStarts(size, restAccepted); },
                    [this](const char* bytes, qsizetype size) { data(bytes, size); },
                    [this] { restRefused(); },
                    [this] { ended(); },
                    [this](const QString& message) { job_.fail(message); },
                    [this] { loginRefused(); },
                    [this] { job_.fileNotFound(); },
                    [this](const QString& message) { job_.tell(message, kProgramTitle); },
                })
{
}

// A new start. A resume goes on where the resume data says, or (without
// any, as files of other programs) from the end of the existing file.
void FtpDownload::start(bool resume)
{
    SegmentTable& segments = job_.segments();
    DownloadTarget& target = job_.target();
    const qint64 rollback = job_.settings().Rollback;
    segments.layoutSingle(-1);
    resuming_ = false;
    known_.reset();
    factsSize_ = -1;
    modified_.clear();
    if (resume && QFileInfo::exists(target.path())) {
        const ResumeFile::Loaded loaded = ResumeFile::load(target.path());
        if (loaded.present && !loaded.record) {
            // Damaged: the job fails, or a file without bytes starts from 0.
            std::optional<ResumeRecord> none;
            if (!target.takeResumeData(loaded, -1, &none))
                return;
        } else if (loaded.present && loaded.record->segments.size() == 1) {
            known_ = loaded;
            segments.resumeFrom(*loaded.record, rollback);
            segments.setLength(-1);
            resuming_ = true;
        } else {
            segments.SegPos[0] = std::max<qint64>(0, QFileInfo(target.path()).size() - rollback) + 1;
            resuming_ = true;
        }
    }
    connect();
}

void FtpDownload::resume()
{
    SegmentTable& segments = job_.segments();
    segments.SegPos[0] = std::max<qint64>(0, segments.nextOffset(0) - job_.settings().Rollback) + 1;
    resuming_ = true;
    if (job_.contentLength() >= 0) {
        ResumeFile::Loaded loaded;
        loaded.present = true;
        loaded.record = ResumeRecord {job_.url(), job_.contentLength(), {}, modified_, {}};
        known_ = loaded;
    }
    connect();
}

bool FtpDownload::resumable() const
{
    return job_.contentLength() >= 0;
}

void FtpDownload::connect()
{
    // The connection, the greeting and every reply until the data flows
    // must come within the time-out.
    job_.display().showTimer(true);
    job_.restartTimeOut();
    dialogue_.start(job_.urlParts(), job_.segments().nextOffset(0), job_.settings().UsePASV);
}

// Before REST: a partial file whose remote file has changed since its bytes
// came (another size or time) is fetched again from 0; one longer than the
// remote file is left alone.
qint64 FtpDownload::fileFacts(qint64 size, const QByteArray& modified)
{
    SegmentTable& segments = job_.segments();
    DownloadTarget& target = job_.target();
    modified_ = modified;
    factsSize_ = size;
    target.resumeData().setValidators({}, modified);
    if (known_ && resuming_) {
        std::optional<ResumeRecord> record;
        if (!target.takeResumeData(*known_, size >= 0 ? size : known_->record->size, &record))
            return 0;
        if (!record) {
            segments.layoutSingle(-1);
            resuming_ = false;
        }
    }
    known_.reset();
    target.refuseLongerLocalFile(size, resuming_);
    return segments.nextOffset(0);
}

void FtpDownload::stepReached(FtpStep step)
{
    switch (step) {
    case FtpStep::UserSent: {
        const QString loggingIn = job_.text("11049", QStringLiteral("Logging In..."));
        job_.setStatus(loggingIn, false);
        job_.setRowStatus(loggingIn);
        job_.display().setStopEnabled(true);
        break;
    }
    case FtpStep::LoggedIn:
        job_.display().showUrl(job_.url());
        job_.setStatus(job_.text("11050", QStringLiteral("Connected... Setting Up Transfer!")), false);
        job_.setRowStatus(job_.text("11048", QStringLiteral("Connected")));
        break;
    case FtpStep::RestSent: job_.display().setPauseEnabled(false); break;
    case FtpStep::RetrSent: job_.setStatus(job_.text("11069", QStringLiteral("Waiting For File...")), false); break;
    case FtpStep::ServerDone: job_.setStatus(job_.text("11046", QStringLiteral("Transfer Completed...")), false); break;
    default: break;
    }
    job_.showChanges();
}

// REST refused: nothing to skip for a new file; a partial file is fetched
// again from its start.
void FtpDownload::restRefused()
{
    job_.display().showResume(job_.text("04020", QStringLiteral("**RESUME NOT SUPPORTED**")),
                              DownloadDisplay::ResumeColor::DarkRed);
    SegmentTable& segments = job_.segments();
    if (segments.nextOffset(0) > 0) {
        segments.SegPos[0] = 1;
        resuming_ = false;
        const QString& path = job_.target().path();
        if (QFileInfo::exists(path))
            QFile(path).resize(0);
    }
}

bool FtpDownload::transferStarts(qint64 announced, bool restAccepted)
{
    const qint64 size = announced >= 0 ? announced : factsSize_;
    DownloadTarget& target = job_.target();
    if (target.refuseLongerLocalFile(size, resuming_))
        return false;
    // The size of the whole file, even when the transfer starts further on.
    job_.segments().setLength(size);
    job_.sizeKnown(size);
    if (restAccepted)
        job_.display().showResume(job_.text("04019", QStringLiteral("** Resume Supported **")),
                                  DownloadDisplay::ResumeColor::Green);
    const QString downloading = job_.text("11051", QStringLiteral("Downloading"));
    job_.setStatus(downloading, false);
    job_.setRowStatus(downloading);
    target.create();
    job_.display().layoutSegmentBars(1);
    QString error;
    if (!job_.files().open(0, &error)) {
        job_.fail(error);
        return false;
    }
    job_.stopTimeOut();
    job_.display().showTimer(false);
    job_.setPhase(JobPhase::Transferring);
    job_.restartProgressMeter();
    job_.startUpdates();
    return true;
}

// More bytes than the file has are no part of it: the server is sending
// something else (the file a second time, or another file).
void FtpDownload::data(const char* bytes, qsizetype size)
{
    SegmentTable& segments = job_.segments();
    const qint64 offset = segments.nextOffset(0);
    const qint64 length = job_.contentLength();
    if (length >= 0 && offset + size > length) {
        job_.fail(job_.text("11070",
                            QStringLiteral("The server sent more than the %1 bytes it announced for the "
                                           "file; the transfer was stopped."))
                      .arg(length));
        return;
    }
    QString error;
    if (!job_.files().write(0, offset, bytes, size, &error)) {
        job_.writeFailed(error);
        return;
    }
    segments.SegPos[0] += size;
    job_.segmentProgressed(0);
}

// The server has sent the file and the data connection has closed: a size
// that was not announced is known now, and a file that is still short is
// fetched on from where it stands.
void FtpDownload::ended()
{
    if (job_.completed() || job_.failed())
        return;
    if (job_.contentLength() < 0) {
        const qint64 size = job_.segments().nextOffset(0);
        job_.segments().setLength(size);
        job_.sizeKnown(size);
    }
    if (job_.isFileDownloaded()) {
        job_.checkCompletionSoon();
        return;
    }
    job_.retryShortReply([this] { job_.restart(); });
}

void FtpDownload::loginRefused()
{
    // "User alice can not log in."
    const QString refused = job_.text("11045", QStringLiteral("can not log in."));
    job_.fail(job_.text("11047", QStringLiteral("User")) + QLatin1Char(' ') + job_.urlParts().UserName
              + QLatin1Char(' ') + refused);
    job_.setRow(JobColumn::Status, refused);
}
