#pragma once

#include "engine/JobList.h"
#include "site/CrawlProgress.h"
#include "site/CrawlRoot.h"
#include "site/SiteDownload.h"
#include "site/SiteLinkList.h"
#include "site/SiteOptions.h"

#include <QHash>
#include <QList>
#include <QObject>

class DownloadJob;
class DownloadWindows;
class IntakeSession;
class KevaContext;

// The site download of the whole program. Next of the site-download dialog
// turns the site-download mode on (begin); the first page (.htm, .html,
// .asp) that finishes after it is the start page. Every page of the crawl
// that finishes has its links read (CheckSite); each link is listed as a
// queued row at once and started in its row as the per-server limit allows
// (at most LimitHTTP or LimitFTP downloads of the crawl per server), in the
// order the links were found. The crawl is over when nothing is left to
// fetch, or when the global stop stops it; the mode then goes off.
//
// Its downloads run without a window each, and no more of them at once than
// the download queue allows.
//
// The crawl follows jobs from outside: DownloadWindows tells it of every job
// that starts (watch), and the job's end signals say how it ended. It acts
// on them only once the job has returned from its signal, since starting a
// job may reuse the slot of the one that just ended.
class SiteCrawl : public QObject {
    Q_OBJECT
public:
    // The crawl sets `session`'s site-download mode while it waits for its
    // start page and runs: Add URL then asks for a page.
    SiteCrawl(KevaContext& context, IntakeSession& session, DownloadWindows& windows, QObject* parent = nullptr);

    SiteOptions options;
    const SiteLinkList& links() const { return links_; }
    const CrawlProgress& progress() const { return progress_; }

    // Next of the site-download dialog: a crawl still going is stopped, the
    // mode goes on and the link list starts afresh.
    void begin();
    // The add-URL dialog was cancelled: a crawl that waits for its start page
    // does not come.
    void cancelStart();
    // The global stop: no queued row starts any more and no page is read;
    // the rows stay listed.
    void stop();
signals:
    void progressChanged(const QString& text);

private:
    enum class State { Running, Done, Failed, Stopped };
    struct Watched {
        int crawl = 0;     // the crawl during which the job started
        bool ours = false; // started by the crawl
        State state = State::Running;
        QString server;
    };
    struct Waiting {
        SiteDownload download;
        JobList::Row row;
        QString server;
    };
    // The row of a page read, with the status it had before it said that the
    // rest of the site is coming.
    struct ReadRow {
        JobList::Row row;
        QString before;
        bool start = false;
    };
    struct FinishedPage {
        SiteDownload page;
        bool ours = false;
        int crawl = 0;
    };

    // Follows `job`, which is starting, while the mode is on.
    void watch(DownloadJob& job);
    void ended(const DownloadJob* job, State state);
    void forget(const DownloadJob* job);
    void setState(Watched& watched, State state);
    void pumpSoon();
    void pump();
    void readPage(const FinishedPage& finished);
    void list(const SiteDownload& download);
    void startWaiting();
    void clearWaiting();
    void finishIfDone();
    void end(CrawlProgress::Phase phase);
    void announce();
    QString gettingRest() const;

    KevaContext& context_;
    IntakeSession& session_;
    DownloadWindows& windows_;
    SiteLinkList links_;
    CrawlRoot root_;
    CrawlProgress progress_;
    int crawl_ = 0;
    QHash<const DownloadJob*, Watched> watched_;
    QList<FinishedPage> pages_;
    QList<Waiting> waiting_;
    // How many of waiting_ each server has.
    QHash<QString, qsizetype> waitingPerServer_;
    QList<ReadRow> readRows_;
    // The server of the download being started, while StartJob runs.
    const QString* starting_ = nullptr;
    bool pumpQueued_ = false;
    bool pumping_ = false;
};
