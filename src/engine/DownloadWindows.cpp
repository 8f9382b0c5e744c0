#include "engine/DownloadWindows.h"

#include "core/Checksum.h"
#include "core/FileExists.h"
#include "core/NetworkName.h"
#include "core/ProgramTitle.h"
#include "core/SplitUrl.h"
#include "core/UrlLogin.h"
#include "engine/RequestOptionsFile.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDialogState.h"

#include <QFileInfo>
#include <QPointer>
#include <QScopedValueRollback>

#include <algorithm>

DownloadWindows::DownloadWindows(KevaContext& context, JobList& jobs, QObject* parent)
    : QObject(parent)
    , context_(context)
    , jobs_(jobs)
    , queue_(jobs)
{
    // After the job that ended has returned: its slot may take the next one.
    connect(this, &DownloadWindows::jobEnded, this, &DownloadWindows::startQueued, Qt::QueuedConnection);
}

DownloadWindows::~DownloadWindows() = default;

DownloadJob* DownloadWindows::slot(int index) const
{
    return index >= 0 && index < kSlots ? slots_[static_cast<std::size_t>(index)].get() : nullptr;
}

// The slot of a row is its number less one, and a new row's slot is the
// number of rows. When rows were removed, or there are more rows than slots,
// that slot may hold a running job of another row: then the first slot
// without a running job serves.
int DownloadWindows::slotFor(int row) const
{
    const int preferred = row > 0 ? row - 1 : jobs_.rowCount();
    const JobList::Row target = row > 0 ? jobs_.row(row) : JobList::Row();
    const auto usable = [&](int index) {
        const DownloadJob* job = slot(index);
        return !job || !job->isRunning() || (target && job->listRow() == target);
    };
    if (preferred < kSlots && usable(preferred))
        return preferred;
    for (int index = 0; index < kSlots; ++index) {
        if (usable(index))
            return index;
    }
    return -1;
}

FileExistsChoice DownloadWindows::existingFileAction(const QString& savePath,
                                                     std::optional<FileExistsChoice> settled) const
{
    if (settled)
        return *settled;
    if (!FileExists(savePath))
        return FileExistsChoice::Overwrite;
    if (scheduleRun)
        return scheduleExistingFileChoice;
    return askFileExists ? askFileExists(savePath) : FileExistsChoice::Overwrite;
}

std::pair<QString, RequestOptions> DownloadWindows::ownParts(const QString& address, const RequestOptions& options)
{
    const ChecksumInUrl inUrl = Checksum::ofUrl(address);
    const UrlLogin login = UrlLogin::split(inUrl.url);
    RequestOptions own = options;
    if (login.present() && !options.hasLogin()) {
        own.userName = login.userName;
        own.password = login.password;
    }
    if (!own.checksum)
        own.checksum = inUrl.checksum;
    return {login.url, own};
}

DownloadJob* DownloadWindows::jobOf(const JobList::Row& row) const
{
    for (const auto& job : slots_) {
        if (job && row && job->listRow() == row)
            return job.get();
    }
    return nullptr;
}

int DownloadWindows::runningCount() const
{
    return static_cast<int>(
        std::count_if(slots_.begin(), slots_.end(), [](const auto& job) { return job && job->isRunning(); }));
}

JobList::Row DownloadWindows::addRow(const QString& url, const QString& savePath, const QString& status)
{
    return jobs_.addRow({savePath, QStringLiteral("0%"), QStringLiteral("N/A"), QStringLiteral("N/A"), status, url});
}

bool DownloadWindows::hasRoom() const
{
    const int limit = queueLimit ? queueLimit() : 0;
    return limit <= 0 || runningCount() < std::min(limit, kSlots);
}

DownloadJob* DownloadWindows::StartJob(const QString& address, const QString& savePath, int& row,
                                       const RequestOptions& given, Window window,
                                       std::optional<FileExistsChoice> existing)
{
    const auto [url, options] = ownParts(address, given);
    // The row is held by its handle while the question is open: the user may
    // remove rows above it meanwhile.
    const JobList::Row listed = row > 0 ? jobs_.row(row) : JobList::Row();
    const FileExistsChoice action = existingFileAction(savePath, existing);
    if (listed)
        row = jobs_.numberOf(listed) > 0 ? jobs_.numberOf(listed) : -1;
    // A new download whose existing file the user keeps lists nothing.
    if (action == FileExistsChoice::Keep && row < 0) {
        lastStartChoice_ = action;
        return nullptr;
    }
    if (action != FileExistsChoice::Keep && !hasRoom()) {
        wait(url, savePath, row, options, action);
        return nullptr;
    }
    return start(url, savePath, row, options, action, window);
}

void DownloadWindows::wait(const QString& url, const QString& savePath, int& row, const RequestOptions& options,
                           FileExistsChoice action)
{
    lastStartChoice_ = action;
    JobList::Row listed = jobs_.row(row);
    if (!listed) {
        listed = addRow(url, savePath, JobStatus::kQueued);
        row = jobs_.rowCount();
    } else {
        jobs_.setSubItem(listed, JobColumn::SavePath, savePath);
        jobs_.setSubItem(listed, JobColumn::Url, url);
    }
    // Kept beside the file too, so that the download still has them when it
    // waits through a restart.
    keep(url, savePath, options);
    queue_.add({listed, options, action});
}

void DownloadWindows::startQueued()
{
    // A question about an existing file runs events, the tick among them:
    // the pass that asked goes on alone.
    if (startingQueued_)
        return;
    const QScopedValueRollback<bool> starting(startingQueued_, true);
    while (!queueHeld_ && hasRoom()) {
        const std::optional<DownloadQueue::Entry> entry = queue_.takeFirst();
        if (!entry)
            return;
        int row = jobs_.numberOf(entry->row);
        const QString url = entry->row->subItem(JobColumn::Url);
        const QString savePath = entry->row->subItem(JobColumn::SavePath);
        const FileExistsChoice action = existingFileAction(savePath, entry->existing);
        if (action == FileExistsChoice::Keep) {
            jobs_.setSubItem(entry->row, JobColumn::Status, JobStatus::kNotDownloaded);
            continue;
        }
        if (!start(url, savePath, row, entry->options, action, Window::Hidden))
            return;
    }
}

bool DownloadWindows::startNow(const JobList::Row& row)
{
    int number = jobs_.numberOf(row);
    if (number == 0 || row->subItem(JobColumn::Status) != JobStatus::kQueued)
        return false;
    // A row that waits in a site download's own list has no entry here.
    const DownloadQueue::Entry entry = queue_.take(row).value_or(DownloadQueue::Entry {row, {}, std::nullopt});
    const QString savePath = row->subItem(JobColumn::SavePath);
    start(row->subItem(JobColumn::Url), savePath, number, entry.options, existingFileAction(savePath, entry.existing),
          Window::Hidden);
    return true;
}

DownloadJob* DownloadWindows::ChangeAddress(int row, const QString& address)
{
    const JobList::Row listed = row > 0 ? jobs_.row(row) : JobList::Row();
    if (!listed)
        return nullptr;
    if (!IsDownloadUrl(address)) {
        context_.prompter.tell(context_.text.GetText(QStringLiteral("11041"), QStringLiteral("Invalid URL")),
                               kProgramTitle, Prompter::Icon::Exclamation);
        return nullptr;
    }
    const auto [url, options] = ownParts(address, RequestOptions());
    const QString savePath = listed->subItem(JobColumn::SavePath);
    // The user asked to go on: no question about the file that is there.
    const FileExistsChoice action = FileExists(savePath) ? FileExistsChoice::Resume : FileExistsChoice::Overwrite;
    return start(url, savePath, row, options, action, Window::Shown, true);
}

// The file at a new address is another one: the user may start the download
// again from the beginning there; until then the row keeps its old address.
void DownloadWindows::offerStartAgain(DownloadJob& job)
{
    const QString url = job.url();
    const QString savePath = job.savePath();
    const JobList::Row listed = job.listRow();
    const QString question =
        context_.text
            .GetText(QStringLiteral("11152"),
                     QStringLiteral("The file at %1 is not the one this download began with. Download it from the "
                                    "beginning at this address? %2 is then overwritten."))
            .arg(url, context_.text.leftToRight(savePath));
    if (context_.prompter.ask(question, kProgramTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo)
        != Prompter::Answer::Yes)
        return;
    int row = jobs_.numberOf(listed);
    if (row <= 0)
        return;
    jobs_.setSubItem(listed, JobColumn::Url, url);
    start(url, savePath, row, RequestOptions(), FileExistsChoice::Overwrite, Window::Shown);
}

DownloadJob* DownloadWindows::start(const QString& url, const QString& savePath, int& row,
                                    const RequestOptions& options, FileExistsChoice action, Window window,
                                    bool newAddress)
{
    const int index = slotFor(row);
    if (index < 0) {
        lastStartChoice_ = FileExistsChoice::Overwrite;
        context_.prompter.tell(context_.text
                                   .GetText(QStringLiteral("11062"),
                                            QStringLiteral("All %1 download windows are busy. Wait for a download "
                                                           "to finish, then start this one again."))
                                   .arg(kSlots),
                               kProgramTitle, Prompter::Icon::Exclamation);
        return nullptr;
    }
    auto& holder = slots_[static_cast<std::size_t>(index)];
    if (holder && holder->isTransferring()) {
        holder->CloseConnections();
    } else {
        holder = std::make_unique<DownloadJob>(context_, jobs_);
        holder->setConnections(ConnectionFactory::network(&pool_));
        connect(holder.get(), &DownloadJob::completedSuccessfully, this, &DownloadWindows::jobEnded);
        connect(holder.get(), &DownloadJob::failedWith, this, &DownloadWindows::jobEnded);
        // Asked once the job has returned from its failure.
        connect(
            holder.get(), &DownloadJob::otherFileAtNewAddress, this,
            [this, job = QPointer<DownloadJob>(holder.get())] {
                if (job)
                    offerStartAgain(*job);
            },
            Qt::QueuedConnection);
        connect(
            holder.get(), &DownloadJob::newAddressGiven, this,
            [this, job = QPointer<DownloadJob>(holder.get())](const QString& address) {
                if (job)
                    ChangeAddress(jobs_.numberOf(job->listRow()), address);
            },
            Qt::QueuedConnection);
    }
    DownloadJob& job = *holder;
    job.setJobIndex(index);
    limiter_.setLimit(qint64 {context_.appSettings.SpeedLimit} * 1024);
    job.setLimiter(&limiter_);
    lastStartChoice_ = action;

    if (row < 0) {
        // The row names its file from the start, so that it still does when
        // the download fails before it learnt anything else.
        job.setListRow(addRow(url, savePath, QStringLiteral("N/A")));
        row = jobs_.rowCount();
    } else {
        job.setListRow(jobs_.row(row));
    }
    job.setTarget(url, savePath, SplitUrl(url, context_.dialogSettings.lstLogin));
    job.setRequestOptions(options);
    job.setServerFileName(serverFileNames && QFileInfo(savePath).fileName() == NetworkName::fileNameOf(url));
    job.askFileExists = [this](const QString& path) { return existingFileAction(path); };
    job.askLogin = askLogin;
    if (newAddress)
        job.moveToNewAddress();
    // A row that waited in the queue starts now, in whichever way, and no
    // longer says that it waits.
    queue_.take(job.listRow());
    if (job.listRow()->subItem(JobColumn::Status) == JobStatus::kQueued)
        jobs_.setSubItem(job.listRow(), JobColumn::Status,
                         context_.text.GetText(QStringLiteral("11154"), QStringLiteral("Starting...")));
    emit jobStarting(job);
    if (window == Window::Shown && showWindow)
        showWindow(job);
    job.StartDownload(action);
    return &job;
}

JobList::Row DownloadWindows::QueueJob(const QString& address, const QString& savePath,
                                       const std::optional<RequestOptions>& later)
{
    const auto [url, kept] = ownParts(address, later.value_or(RequestOptions()));
    if (later)
        keep(url, savePath, kept);
    lastStartChoice_ = FileExistsChoice::Keep;
    return addRow(url, savePath, JobStatus::kNotDownloaded);
}

void DownloadWindows::keepForLater(const QString& address, const QString& savePath, const RequestOptions& options)
{
    const auto [url, kept] = ownParts(address, options);
    keep(url, savePath, kept);
}

void DownloadWindows::keep(const QString& url, const QString& savePath, const RequestOptions& options)
{
    // A row listed without a file of its own (a blocked server) keeps nothing.
    if (options.keptForLater() && QFileInfo(savePath).isAbsolute())
        RequestOptionsFile::save(savePath, url, options);
}
