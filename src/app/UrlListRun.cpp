#include "app/UrlListRun.h"

#include "app/KevaGetChecks.h"
#include "core/Formatting.h"
#include "engine/DownloadWindows.h"

#include <algorithm>

UrlListRun::UrlListRun(DownloadWindows& windows, const KevaGetOptions& options, bool terminal, QObject* parent)
    : QObject(parent)
    , windows_(windows)
    , options_(options)
    , terminal_(terminal)
    , out_(stdout)
    , err_(stderr)
{
    connect(&progress_, &QTimer::timeout, this, &UrlListRun::showProgress);
}

void UrlListRun::start(const QStringList& urls)
{
    for (const QString& url : urls)
        entries_.push_back({url, KevaGetChecks::defaultSavePath(url), State::Waiting, {}, {}});
    if (terminal_)
        progress_.start(500);
    startMore();
}

void UrlListRun::interrupt()
{
    stopping_ = true;
    progress_.stop();
    for (Entry& entry : entries_) {
        if (entry.state == State::Running && entry.job && !entry.job->completed())
            entry.job->unload();
    }
}

int UrlListRun::count(State state) const
{
    return static_cast<int>(std::count_if(entries_.cbegin(), entries_.cend(),
                                          [state](const Entry& entry) { return entry.state == state; }));
}

bool UrlListRun::waitsForAnother(std::size_t index) const
{
    return std::any_of(entries_.cbegin(), entries_.cbegin() + static_cast<std::ptrdiff_t>(index),
                       [&](const Entry& earlier) {
                           return earlier.savePath == entries_[index].savePath
                               && (earlier.state == State::Waiting || earlier.state == State::Running);
                       });
}

void UrlListRun::startMore()
{
    if (stopping_)
        return;
    for (std::size_t index = 0; index < entries_.size() && count(State::Running) < options_.parallel; ++index) {
        if (entries_[index].state == State::Waiting && !waitsForAnother(index))
            begin(index);
    }
    if (summarised_ || count(State::Waiting) + count(State::Running) > 0)
        return;
    summarised_ = true;
    progress_.stop();
    if (terminal_)
        err_ << "\r\033[K";
    err_ << "kevaget: " << summary() << Qt::endl;
    emit finished(count(State::Failed) > 0 ? 1 : 0);
}

void UrlListRun::begin(std::size_t index)
{
    Entry& entry = entries_[index];
    entry.state = State::Running;
    QString problem = KevaGetChecks::urlProblem(entry.url);
    if (problem.isEmpty())
        problem = KevaGetChecks::targetProblem(entry.savePath, options_.fileExistsChoice.has_value());
    // The cookies and the .netrc login that apply to this URL.
    KevaGetOptions own = options_;
    own.url = entry.url;
    if (!problem.isEmpty() || !own.complete(problem))
        return end(index, false, problem);
    int row = -1;
    DownloadJob* job = windows_.StartJob(entry.url, entry.savePath, row, own.request);
    if (!job)
        return end(index, false, QStringLiteral("not started"));
    entry.job = job;
    if (job->failed())
        return end(index, false, job->view().lblStatus); // failed as it began
    watch(index, *job);
}

void UrlListRun::watch(std::size_t index, DownloadJob& job)
{
    connect(&job, &DownloadJob::completedSuccessfully, this, [this, index] { end(index, true, {}); });
    connect(&job, &DownloadJob::failedWith, this, [this, index](const QString& text) { end(index, false, text); });
    connect(&job, &DownloadJob::unloaded, this, [this, index] {
        const Entry& entry = entries_[index];
        if (entry.state == State::Running && !stopping_ && entry.job && !entry.job->completed())
            end(index, false,
                KevaGetChecks::targetProblem(entry.job->savePath(), options_.fileExistsChoice.has_value()));
    });
    // A wait before a retry is told, as the failure would be.
    connect(&job, &DownloadJob::retryScheduled, this, [this, index](const QString& text) {
        if (terminal_)
            err_ << "\r\033[K";
        err_ << "kevaget: " << entries_[index].url << ": " << text << Qt::endl;
    });
}

void UrlListRun::end(std::size_t index, bool complete, const QString& reason)
{
    Entry& entry = entries_[index];
    if (entry.state != State::Running || stopping_)
        return;
    entry.state = complete ? State::Finished : State::Failed;
    entry.reason = reason.isEmpty() ? QStringLiteral("stopped") : reason;
    if (terminal_)
        err_ << "\r\033[K" << Qt::flush;
    if (complete)
        out_ << (entry.job ? entry.job->savePath() : entry.savePath) << Qt::endl;
    else
        err_ << "kevaget: " << entry.url << ": " << entry.reason << Qt::endl;
    // A failed job may still hold timers that would start it again.
    if (!complete && entry.job && entry.job->failed())
        QTimer::singleShot(0, entry.job, &DownloadJob::unload);
    // The job that ends is still in its signal: its slot is taken by the next
    // one only after it returned.
    QTimer::singleShot(0, this, &UrlListRun::startMore);
}

// "12 of 20 done, 4 running, 1 failed  3.20 MB/s", redrawn in place.
void UrlListRun::showProgress()
{
    double rate = 0;
    for (const Entry& entry : entries_) {
        if (entry.state == State::Running && entry.job)
            rate += entry.job->currentRate();
    }
    const int failed = count(State::Failed);
    err_ << "\r\033[K"
         << QStringLiteral("%1 of %2 done, %3 running%4  %5/s")
                .arg(count(State::Finished) + failed)
                .arg(entries_.size())
                .arg(count(State::Running))
                .arg(failed > 0 ? QStringLiteral(", %1 failed").arg(failed) : QString(), FormatSize(rate))
         << Qt::flush;
}

// "3 of 4 downloads finished; 1 failed: URL (reason)".
QString UrlListRun::summary() const
{
    const QString finished =
        QStringLiteral("%1 of %2 downloads finished").arg(count(State::Finished)).arg(entries_.size());
    QStringList failures;
    for (const Entry& entry : entries_) {
        if (entry.state == State::Failed)
            failures.append(QStringLiteral("%1 (%2)").arg(entry.url, entry.reason));
    }
    if (failures.isEmpty())
        return finished + QLatin1Char('.');
    return QStringLiteral("%1; %2 failed: %3")
        .arg(finished)
        .arg(failures.size())
        .arg(failures.join(QStringLiteral(", ")));
}
