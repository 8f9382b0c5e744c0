#include "mainwin/RemoteDownloads.h"

#include "core/FileExists.h"
#include "core/NetworkName.h"
#include "core/SplitUrl.h"
#include "intake/SavePaths.h"
#include "settings/KevaContext.h"
#include "settings/SettingsStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace {

using State = RpcDownloadStatus::State;

// A free name beside `path`, as "name.1.ext", "name.2.ext" and so on.
QString freeName(const QString& path)
{
    const QFileInfo file(path);
    const QString suffix = file.suffix();
    const QString base = suffix.isEmpty() ? file.fileName() : file.completeBaseName();
    for (int n = 1;; ++n) {
        const QString name = suffix.isEmpty() ? QStringLiteral("%1.%2").arg(base).arg(n)
                                              : QStringLiteral("%1.%2.%3").arg(base).arg(n).arg(suffix);
        const QString candidate = SavePaths::join(file.path(), name);
        if (!FileExists(candidate))
            return candidate;
    }
}

// The "Name: value" lines of a client as request headers; false when one is
// not such a line.
bool takeHeaders(const QStringList& lines, RequestOptions& request)
{
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            return false;
        request.headers.append({line.left(colon).trimmed().toLatin1(), line.mid(colon + 1).trimmed().toUtf8()});
    }
    return true;
}

} // namespace

RemoteDownloads::RemoteDownloads(KevaContext& context, DownloadWindows& windows, QObject* parent)
    : context_(context)
    , windows_(windows)
    , jobs_(windows.jobs())
{
    setParent(parent);
    connect(&windows_, &DownloadWindows::jobStarting, this, &RemoteDownloads::follow);
}

QList<std::pair<JobList::Row, QString>> RemoteDownloads::listed() const
{
    QList<std::pair<JobList::Row, QString>> rows;
    rows.reserve(jobs_.rowCount());
    QHash<QString, int> seen;
    for (int number = 1; number <= jobs_.rowCount(); ++number) {
        const JobList::Row row = jobs_.row(number);
        const QString file = row->subItem(JobColumn::SavePath) + QLatin1Char('\n') + row->subItem(JobColumn::Url);
        const QByteArray key = (file + QLatin1Char('\n') + QString::number(seen[file]++)).toUtf8();
        rows.append(
            {row, QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16))});
    }
    return rows;
}

QString RemoteDownloads::gidOf(const JobList::Row& row) const
{
    for (const auto& [listedRow, gid] : listed()) {
        if (listedRow == row)
            return gid;
    }
    return {};
}

JobList::Row RemoteDownloads::rowOf(const QString& gid) const
{
    for (const auto& [row, listedGid] : listed()) {
        if (listedGid == gid)
            return row;
    }
    return {};
}

qsizetype RemoteDownloads::removedAt(const QString& gid) const
{
    for (qsizetype at = 0; at < removed_.size(); ++at) {
        if (removed_[at].gid == gid)
            return at;
    }
    return -1;
}

QString RemoteDownloads::notFound(const QString& gid) const
{
    return QStringLiteral("GID %1 is not found").arg(gid);
}

RpcDownloadStatus RemoteDownloads::statusOf(const JobList::Row& row, const QString& gid) const
{
    RpcDownloadStatus status;
    status.gid = gid;
    const QString path = row->subItem(JobColumn::SavePath);
    const QString rowStatus = row->subItem(JobColumn::Status);
    const DownloadJob* job = windows_.jobOf(row);
    const bool loaded = job && job->view().visible;
    if (job && job->isRunning())
        status.state = State::Active;
    else if (rowStatus == JobStatus::kQueued)
        status.state = State::Waiting;
    else if (row->subItem(JobColumn::Percent) == QStringLiteral("100%") || (loaded && job->completed()))
        status.state = State::Complete;
    else if (loaded && job->failed())
        status.state = State::Error;
    else
        status.state = State::Paused;
    const QFileInfo file(path);
    const qint64 onDisk = file.isAbsolute() && file.isFile() ? file.size() : 0;
    status.totalLength = job && job->contentLength() >= 0 ? job->contentLength()
        : status.state == State::Complete                 ? onDisk
                                                          : 0;
    status.completedLength = job ? job->receivedBytes() : status.state == State::Complete ? onDisk : 0;
    if (status.state == State::Active) {
        status.downloadSpeed = static_cast<qint64>(job->currentRate());
        status.connections = job->segmentTable().connections();
    }
    if (status.state == State::Error) {
        status.errorCode = 1;
        status.errorMessage = rowStatus;
    }
    status.dir = SavePaths::folderOf(path);
    status.files.append({file.isAbsolute() ? path : QString(),
                         status.totalLength,
                         status.completedLength,
                         {row->subItem(JobColumn::Url)}});
    return status;
}

QList<RpcDownloadStatus> RemoteDownloads::inState(std::initializer_list<State> states) const
{
    QList<RpcDownloadStatus> found;
    const QList<std::pair<JobList::Row, QString>> rows = listed();
    for (const State state : states) {
        for (const auto& [row, gid] : rows) {
            RpcDownloadStatus status = statusOf(row, gid);
            if (status.state == state)
                found.append(std::move(status));
        }
    }
    return found;
}

QString RemoteDownloads::add(const QStringList& uris, const RpcOptions& options, std::optional<int> position,
                             QString& problem)
{
    // Mirrors of one file: the first address is the download's.
    const QString url = uris.value(0);
    const QString name = options.out.value_or(NetworkName::fileNameOf(url));
    if (name.contains(QLatin1Char('/')) || name == QStringLiteral(".") || name == QStringLiteral("..")) {
        problem = QStringLiteral("The option out must be a file name, not %1").arg(name);
        return {};
    }
    RequestOptions request;
    if (!takeHeaders(options.header.value_or(QStringList()), request)) {
        problem = QStringLiteral("A header must be a \"Name: value\" line");
        return {};
    }
    request.browser.referrer = options.referer.value_or(QString());
    request.browser.userAgent = options.userAgent.value_or(QString());
    request.checksum = options.checksum;
    return list(url, name, request, options, position, problem);
}

QString RemoteDownloads::takeHandedIn(const QString& url, const BrowserSession& session, QString& problem)
{
    return list(url, SavePaths::fileNameFor(url, session), RequestOptions::of(session), RpcOptions(), std::nullopt,
                problem);
}

QString RemoteDownloads::list(const QString& url, QString name, const RequestOptions& request,
                              const RpcOptions& options, std::optional<int> position, QString& problem)
{
    if (!IsDownloadUrl(url)) {
        problem = QStringLiteral("%1 is not an http, https or ftp address").arg(url);
        return {};
    }
    if (name.isEmpty())
        name = QStringLiteral("index.html");
    if (options.dir && !QDir::isAbsolutePath(*options.dir)) {
        problem = QStringLiteral("The option dir must be an absolute folder, not %1").arg(*options.dir);
        return {};
    }
    QString path = options.dir ? SavePaths::join(*options.dir, name)
                               : SavePaths::defaultPath(context_.dialogSettings.lastSavePath, name);
    if (!QDir().mkpath(SavePaths::folderOf(path))) {
        problem = QStringLiteral("The folder %1 can not be made").arg(SavePaths::folderOf(path));
        return {};
    }
    // Nothing on disk is lost and nobody is asked: a file that is there is
    // gone on with or overwritten only when the client says so, else the
    // download takes a free name beside it.
    FileExistsChoice existing = FileExistsChoice::Overwrite;
    if (FileExists(path)) {
        if (options.continueDownload.value_or(false))
            existing = FileExistsChoice::Resume;
        else if (!options.allowOverwrite.value_or(false))
            path = freeName(path);
    }
    if (options.pause.value_or(false))
        return gidOf(windows_.QueueJob(url, path, request));
    int number = -1;
    windows_.StartJob(url, path, number, request, DownloadWindows::Window::Hidden, existing);
    const JobList::Row row = jobs_.row(number);
    if (!row)
        return {};
    if (position && row->subItem(JobColumn::Status) == JobStatus::kQueued) {
        const QList<RpcDownloadStatus> queued = inState({State::Waiting});
        if (*position < queued.size() - 1)
            jobs_.moveRow(number, jobs_.numberOf(rowOf(queued[*position].gid)));
    }
    return gidOf(row);
}

QString RemoteDownloads::pause(const QString& gid, bool)
{
    const JobList::Row row = rowOf(gid);
    if (!row)
        return notFound(gid);
    DownloadJob* job = windows_.jobOf(row);
    if (job && job->isRunning()) {
        job->Pause_Resume();
    } else if (windows_.queue().take(row) || row->subItem(JobColumn::Status) == JobStatus::kQueued) {
        jobs_.setSubItem(row, JobColumn::Status, JobStatus::kNotDownloaded);
    } else {
        return QStringLiteral("GID %1 is neither active nor waiting").arg(gid);
    }
    emit downloadEvent(Event::Pause, gid);
    return {};
}

QString RemoteDownloads::unpause(const QString& gid)
{
    const JobList::Row row = rowOf(gid);
    if (!row)
        return notFound(gid);
    if (statusOf(row, gid).state != State::Paused)
        return QStringLiteral("GID %1 is not paused").arg(gid);
    DownloadJob* job = windows_.jobOf(row);
    if (job && job->isPaused() && job->canResume()) {
        job->Pause_Resume();
        return {};
    }
    const QString path = row->subItem(JobColumn::SavePath);
    if (!QDir::isAbsolutePath(path))
        return QStringLiteral("GID %1 has no file to download into").arg(gid);
    int number = jobs_.numberOf(row);
    windows_.StartJob(row->subItem(JobColumn::Url), path, number, RequestOptions(), DownloadWindows::Window::Hidden,
                      FileExists(path) ? FileExistsChoice::Resume : FileExistsChoice::Overwrite);
    return {};
}

QString RemoteDownloads::remove(const QString& gid, bool)
{
    const JobList::Row row = rowOf(gid);
    if (!row)
        return notFound(gid);
    RpcDownloadStatus status = statusOf(row, gid);
    if (DownloadJob* job = windows_.jobOf(row); job && job->isRunning())
        job->StopMe();
    windows_.queue().take(row);
    jobs_.removeRow(jobs_.numberOf(row));
    status.state = State::Removed;
    status.downloadSpeed = 0;
    status.connections = 0;
    removed_.append(status);
    ++endedInRun_;
    emit downloadEvent(Event::Stop, gid);
    return {};
}

void RemoteDownloads::pauseAll(bool)
{
    windows_.holdQueue(true);
    for (const auto& [row, gid] : listed()) {
        if (DownloadJob* job = windows_.jobOf(row); job && job->isRunning()) {
            job->Pause_Resume();
            emit downloadEvent(Event::Pause, gid);
        }
    }
}

void RemoteDownloads::unpauseAll()
{
    windows_.holdQueue(false);
    for (int number = 1; number <= jobs_.rowCount(); ++number) {
        DownloadJob* job = windows_.jobOf(jobs_.row(number));
        if (job && job->view().visible && job->isPaused() && job->canResume())
            job->Pause_Resume();
    }
    windows_.startQueued();
}

std::optional<RpcDownloadStatus> RemoteDownloads::status(const QString& gid) const
{
    if (const JobList::Row row = rowOf(gid))
        return statusOf(row, gid);
    if (const qsizetype at = removedAt(gid); at >= 0)
        return removed_[at];
    return std::nullopt;
}

QList<RpcDownloadStatus> RemoteDownloads::active() const
{
    return inState({State::Active});
}

QList<RpcDownloadStatus> RemoteDownloads::waiting() const
{
    return inState({State::Waiting, State::Paused});
}

QList<RpcDownloadStatus> RemoteDownloads::stopped() const
{
    QList<RpcDownloadStatus> ended;
    for (const auto& [row, gid] : listed()) {
        RpcDownloadStatus status = statusOf(row, gid);
        if (status.state == State::Complete || status.state == State::Error)
            ended.append(std::move(status));
    }
    return ended + removed_;
}

RpcGlobalStat RemoteDownloads::globalStat() const
{
    RpcGlobalStat stat;
    stat.numStopped = static_cast<int>(removed_.size());
    for (const auto& [row, gid] : listed()) {
        const RpcDownloadStatus status = statusOf(row, gid);
        switch (status.state) {
        case State::Active:
            stat.downloadSpeed += status.downloadSpeed;
            ++stat.numActive;
            break;
        case State::Waiting:
        case State::Paused: ++stat.numWaiting; break;
        case State::Complete:
        case State::Error:
        case State::Removed: ++stat.numStopped; break;
        }
    }
    stat.numStoppedTotal = std::max(endedInRun_, stat.numStopped);
    return stat;
}

QString RemoteDownloads::removeResult(const QString& gid)
{
    if (const qsizetype at = removedAt(gid); at >= 0) {
        removed_.removeAt(at);
        return {};
    }
    const JobList::Row row = rowOf(gid);
    if (!row)
        return notFound(gid);
    const State state = statusOf(row, gid).state;
    if (state != State::Complete && state != State::Error)
        return QStringLiteral("GID %1 has not ended").arg(gid);
    jobs_.removeRow(jobs_.numberOf(row));
    return {};
}

void RemoteDownloads::purgeResults()
{
    removed_.clear();
    for (const RpcDownloadStatus& status : stopped())
        removeResult(status.gid);
}

RpcOptions RemoteDownloads::options(const QString& gid) const
{
    RpcOptions options;
    if (const std::optional<RpcDownloadStatus> known = status(gid); known && !known->files.isEmpty()) {
        options.dir = known->dir;
        options.out = QFileInfo(known->files.first().path).fileName();
    }
    return options;
}

QString RemoteDownloads::changeOptions(const QString& gid, const RpcOptions&)
{
    return status(gid) ? QStringLiteral("The options of a listed download can not be changed") : notFound(gid);
}

RpcOptions RemoteDownloads::globalOptions() const
{
    RpcOptions options;
    options.maxOverallDownloadLimit = qint64 {context_.appSettings.SpeedLimit} * 1024;
    options.maxConcurrentDownloads = context_.dialogSettings.downloadsAtOnce();
    return options;
}

// Stored as the settings dialog stores them: the speed limit in kilobytes a
// second, the downloads at once as a count.
QString RemoteDownloads::changeGlobalOptions(const RpcOptions& change)
{
    Registry::Values values;
    if (change.maxOverallDownloadLimit) {
        const qint64 kilobytes = (*change.maxOverallDownloadLimit + 1023) / 1024;
        if (kilobytes < 0 || kilobytes > std::numeric_limits<std::int32_t>::max())
            return QStringLiteral("max-overall-download-limit is out of range");
        context_.appSettings.SpeedLimit = static_cast<std::int32_t>(kilobytes);
        values.append({QStringLiteral("SpeedLimit"), QString::number(kilobytes)});
    }
    if (change.maxConcurrentDownloads) {
        if (*change.maxConcurrentDownloads < 0)
            return QStringLiteral("max-concurrent-downloads must be 0 or more");
        context_.dialogSettings.txtLimitAll = QString::number(*change.maxConcurrentDownloads);
        values.append({QStringLiteral("LimitAll"), context_.dialogSettings.txtLimitAll});
    }
    if (!values.isEmpty() && !SettingsStore(context_.registry).putAll(values))
        return QStringLiteral("The settings could not be stored");
    windows_.startQueued();
    return {};
}

void RemoteDownloads::follow(DownloadJob& job)
{
    tell(Event::Start, job);
    if (followed_.contains(&job))
        return;
    followed_.insert(&job);
    const DownloadJob* key = &job;
    connect(&job, &QObject::destroyed, this, [this, key] { followed_.remove(key); });
    connect(&job, &DownloadJob::completedSuccessfully, this, [this, &job] {
        ++endedInRun_;
        tell(Event::Complete, job);
    });
    connect(&job, &DownloadJob::failedWith, this, [this, &job] {
        ++endedInRun_;
        tell(Event::Error, job);
    });
}

void RemoteDownloads::tell(Event event, const DownloadJob& job)
{
    if (const JobList::Row row = job.listRow(); row && jobs_.numberOf(row) > 0)
        emit downloadEvent(event, gidOf(row));
}
