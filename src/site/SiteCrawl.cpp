#include "site/SiteCrawl.h"

#include "engine/DownloadJob.h"
#include "engine/DownloadWindows.h"
#include "intake/IntakeSession.h"
#include "intake/ServerLimit.h"
#include "intake/UrlCutting.h"
#include "settings/KevaContext.h"
#include "site/CheckSite.h"
#include "site/CrawlFolder.h"

#include <QSet>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

const QString kGettingRest = QStringLiteral("Getting rest of the site...");

// Pages are the files whose links are read: "htm", "html" and "asp".
bool isPage(const QString& url)
{
    const QString name = GetFileName(url);
    const QString ext = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toLower();
    return name.contains(QLatin1Char('.'))
        && (ext == QStringLiteral("htm") || ext == QStringLiteral("html") || ext == QStringLiteral("asp"));
}

} // namespace

SiteCrawl::SiteCrawl(KevaContext& context, IntakeSession& session, DownloadWindows& windows, QObject* parent)
    : QObject(parent)
    , context_(context)
    , session_(session)
    , windows_(windows)
{
    connect(&windows, &DownloadWindows::jobStarting, this, &SiteCrawl::watch);
    // Another download that ends makes room for the crawl's next one.
    connect(&windows, &DownloadWindows::jobEnded, this, &SiteCrawl::pumpSoon);
}

void SiteCrawl::begin()
{
    if (progress_.phase == CrawlProgress::Phase::Crawling
        || progress_.phase == CrawlProgress::Phase::WaitingForStartPage)
        stop();
    ++crawl_;
    links_.truncate();
    root_ = {};
    pages_.clear();
    clearWaiting();
    readRows_.clear();
    progress_ = {};
    progress_.phase = CrawlProgress::Phase::WaitingForStartPage;
    session_.beginSiteDownload();
    announce();
}

void SiteCrawl::cancelStart()
{
    if (progress_.phase == CrawlProgress::Phase::WaitingForStartPage)
        end(CrawlProgress::Phase::Off);
}

void SiteCrawl::stop()
{
    if (progress_.phase != CrawlProgress::Phase::Crawling
        && progress_.phase != CrawlProgress::Phase::WaitingForStartPage)
        return;
    pages_.clear();
    clearWaiting();
    progress_.queued = 0;
    // The global stop stops the running downloads; one still connecting goes
    // on as a download of its own.
    for (Watched& watched : watched_) {
        if (watched.crawl == crawl_ && watched.ours && watched.state == State::Running)
            setState(watched, State::Stopped);
    }
    end(CrawlProgress::Phase::Stopped);
}

void SiteCrawl::end(CrawlProgress::Phase phase)
{
    progress_.phase = phase;
    session_.endSiteDownload();
    announce();
    // The pages' rows no longer say that the rest is coming: the start page's
    // row tells how the crawl ended, the others show their own status again.
    JobList& jobs = windows_.jobs();
    const QString summary = progress_.text(context_.text);
    const QString comingText = gettingRest();
    for (const ReadRow& read : std::as_const(readRows_)) {
        if (jobs.numberOf(read.row) > 0 && read.row->subItem(JobColumn::Status) == comingText)
            jobs.setSubItem(read.row, JobColumn::Status, read.start && !summary.isEmpty() ? summary : read.before);
    }
    readRows_.clear();
}

QString SiteCrawl::gettingRest() const
{
    return context_.text.GetText(QStringLiteral("11063"), kGettingRest);
}

void SiteCrawl::announce()
{
    emit progressChanged(progress_.text(context_.text));
}

void SiteCrawl::watch(DownloadJob& job)
{
    if (!session_.siteDownloadRunning())
        return;
    const DownloadJob* key = &job;
    if (!watched_.contains(key)) {
        connect(&job, &DownloadJob::completedSuccessfully, this, [this, key] { ended(key, State::Done); });
        connect(&job, &DownloadJob::failedWith, this, [this, key] { ended(key, State::Failed); });
        connect(&job, &DownloadJob::unloaded, this, [this, key] { ended(key, State::Stopped); });
        connect(&job, &QObject::destroyed, this, [this, key] { forget(key); });
    }
    Watched& watched = watched_[key];
    if (watched.crawl == crawl_ && watched.ours) {
        // One of the crawl's downloads started again in its row.
        setState(watched, State::Running);
        return;
    }
    watched.crawl = crawl_;
    watched.ours = starting_ != nullptr;
    watched.state = State::Running;
    if (watched.ours) {
        watched.server = *starting_;
        ++progress_.running;
    }
}

void SiteCrawl::setState(Watched& watched, State state)
{
    const auto counter = [this](State of) -> int& {
        switch (of) {
        case State::Running: return progress_.running;
        case State::Done: return progress_.done;
        case State::Failed: return progress_.failed;
        case State::Stopped: break;
        }
        return progress_.stopped;
    };
    if (watched.crawl == crawl_ && watched.ours) {
        --counter(watched.state);
        ++counter(state);
    }
    watched.state = state;
}

void SiteCrawl::ended(const DownloadJob* job, State state)
{
    const auto found = watched_.find(job);
    if (found == watched_.end())
        return;
    Watched& watched = *found;
    // A window closed after its job was done or had failed changes nothing;
    // a failed job the user resumed may still be done.
    if (state == State::Stopped && watched.state != State::Running)
        return;
    if (state == State::Failed && watched.state != State::Running)
        return;
    setState(watched, state);
    if (state == State::Done && isPage(job->url()))
        pages_.append({{job->url(), job->savePath()}, watched.ours, watched.crawl});
    announce();
    pumpSoon();
}

// A job that goes before it ended (its slot took another job) ends here.
void SiteCrawl::forget(const DownloadJob* job)
{
    const auto found = watched_.find(job);
    if (found == watched_.end())
        return;
    if (found->state == State::Running) {
        setState(*found, State::Stopped);
        announce();
        pumpSoon();
    }
    watched_.erase(found);
}

void SiteCrawl::pumpSoon()
{
    if (pumpQueued_)
        return;
    pumpQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        pumpQueued_ = false;
        pump();
    });
}

void SiteCrawl::pump()
{
    // A question asked while a job starts (the file-exists dialog) runs
    // events: a pump it lets in is left to the one that runs.
    if (pumping_)
        return pumpSoon();
    pumping_ = true;
    while (!pages_.isEmpty())
        readPage(pages_.takeFirst());
    startWaiting();
    pumping_ = false;
    finishIfDone();
}

void SiteCrawl::readPage(const FinishedPage& finished)
{
    if (finished.crawl != crawl_)
        return;
    const bool isStart = !finished.ours && progress_.phase == CrawlProgress::Phase::WaitingForStartPage;
    if (isStart) {
        root_ = CrawlRoot::of(finished.page.url, finished.page.savePath);
        // The start page is there already; a link back to it is no new file.
        links_.store(QUrl(finished.page.url).adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded));
        progress_.phase = CrawlProgress::Phase::Crawling;
    } else if (!finished.ours || progress_.phase != CrawlProgress::Phase::Crawling) {
        return;
    }
    JobList& jobs = windows_.jobs();
    for (int number = jobs.rowCount(); number >= 1; --number) {
        const JobList::Row row = jobs.row(number);
        if (row->subItem(JobColumn::Url) == finished.page.url
            && row->subItem(JobColumn::SavePath) == finished.page.savePath) {
            readRows_.append({row, row->subItem(JobColumn::Status), isStart});
            jobs.setSubItem(row, JobColumn::Status, gettingRest());
            break;
        }
    }
    ++progress_.pages;
    CheckSite checkSite(options, links_, root_);
    for (const SiteDownload& download : checkSite.runFile(finished.page.savePath, QUrl(finished.page.url)))
        list(download);
    announce();
}

void SiteCrawl::list(const SiteDownload& download)
{
    if (!CrawlFolder::prepare(root_.folder, download.savePath))
        return;
    const JobList::Row row = windows_.QueueJob(download.url, download.savePath);
    // It waits for its turn as the download queue's rows do.
    windows_.jobs().setSubItem(row, JobColumn::Status, JobStatus::kQueued);
    const QString server = GetServerName(download.url);
    waiting_.append({download, row, server});
    ++waitingPerServer_[server];
    ++progress_.queued;
}

void SiteCrawl::startWaiting()
{
    if (progress_.phase != CrawlProgress::Phase::Crawling)
        return;
    QHash<QString, int> running;
    for (const Watched& watched : std::as_const(watched_)) {
        if (watched.crawl == crawl_ && watched.ours && watched.state == State::Running)
            ++running[watched.server];
    }
    JobList& jobs = windows_.jobs();
    // A server found full is passed over; the scan ends once every server
    // with downloads waiting is full, so that a long list costs little.
    QSet<QString> full;
    for (qsizetype at = 0; at < waiting_.size() && full.size() < waitingPerServer_.size() && windows_.hasRoom();) {
        const QString server = waiting_[at].server;
        if (full.contains(server)
            || running.value(server) >= std::max(1, ServerLimit(context_.dialogSettings, waiting_[at].download.url))) {
            full.insert(server);
            ++at;
            continue;
        }
        const Waiting entry = waiting_.takeAt(at);
        if (--waitingPerServer_[server] == 0)
            waitingPerServer_.remove(server);
        --progress_.queued;
        // A row the user removed, or started himself, is no longer the crawl's.
        int number = jobs.numberOf(entry.row);
        if (number == 0 || entry.row->subItem(JobColumn::Status) != JobStatus::kQueued)
            continue;
        starting_ = &server;
        DownloadJob* job = windows_.StartJob(entry.download.url, entry.download.savePath, number, RequestOptions(),
                                             DownloadWindows::Window::Hidden);
        starting_ = nullptr;
        if (!job) {
            // No slot is free: the row waits for the next download to end.
            waiting_.insert(at, entry);
            ++waitingPerServer_[server];
            ++progress_.queued;
            break;
        }
        ++running[server];
    }
    announce();
}

void SiteCrawl::clearWaiting()
{
    // The rows stay listed, as downloads that did not start.
    JobList& jobs = windows_.jobs();
    for (const Waiting& entry : std::as_const(waiting_)) {
        if (jobs.numberOf(entry.row) > 0 && entry.row->subItem(JobColumn::Status) == JobStatus::kQueued)
            jobs.setSubItem(entry.row, JobColumn::Status, JobStatus::kNotDownloaded);
    }
    waiting_.clear();
    waitingPerServer_.clear();
}

void SiteCrawl::finishIfDone()
{
    if (progress_.phase == CrawlProgress::Phase::Crawling && pages_.isEmpty() && waiting_.isEmpty()
        && progress_.running == 0)
        end(CrawlProgress::Phase::Finished);
}
