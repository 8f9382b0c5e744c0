#pragma once

#include "core/BrowserSession.h"
#include "engine/JobList.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class DownloadWindows;
class KevaContext;

// The "Save file to?" prompt without its window: where a new download goes,
// and whether it starts now or stays listed. Each URL comes with the row that
// lists it, and what the browser knew of it; URLs that come while a prompt
// is open wait for their turn, so each prompt keeps its own URL, row and
// session. The name offered is the browser's file name when it gave one.
class SavePromptState : public QObject {
    Q_OBJECT
public:
    SavePromptState(KevaContext& context, DownloadWindows& windows, QObject* parent = nullptr);

    QString PromptURL;
    QString txtURL;
    QString txtSaveTo;
    // Captions.
    QString caption, banner, Frame1, Label1, Label2, Command1, Command2, Command3, Command4;

    // A save-as question: caption and proposed path in, the chosen path out.
    std::function<std::optional<QString>(const QString& caption, const QString& proposed)> askSavePath;
    // Shows today's job list in the main window.
    std::function<void()> showJobList;

    // Queues a prompt for `url`, listed in `row`; the first in the queue opens
    // right after the caller returns. Its job gets `session`.
    void ask(const QString& url, const JobList::Row& row, const BrowserSession& session = {});
    // `url`, listed in `row`, goes where the prompt for the URL listed in
    // `leader` saves, under its own name: it starts with that URL, is listed
    // for later with it, or goes with a cancel. So a list of URLs asks once.
    void follow(const JobList::Row& leader, const QString& url, const JobList::Row& row,
                const BrowserSession& session = {});
    // Opens the window over this state; it calls open(). Without it, open()
    // runs alone.
    std::function<void()> showWindow;
    bool busy() const { return busy_; }

    // Opens the prompt for PromptURL: asks at once where to save.
    void open();
    void beginDownload(); // Command1
    void downloadLater(); // Command2
    void cancel();        // Command3
    void change();        // Command4

signals:
    void changed();
    void closed();
    // Cancel: the URL went without a download.
    void cancelled();

private:
    bool ready() const { return !txtSaveTo.isEmpty() && !txtURL.isEmpty(); }
    void openNext();
    void finish();
    // The row of the URL shown, while it is still listed.
    JobList::Row listedRow() const;
    void dropUnstarted(const JobList::Row& row);
    // Starts `url` into `savePath` in `listed`, its row (a new row when it went).
    void startListed(const QString& url, const QString& savePath, const BrowserSession& session,
                     const JobList::Row& listed);
    void listForLater(const QString& url, const QString& savePath, const BrowserSession& session,
                      const JobList::Row& listed);

    // The save path proposed for `url` at first.
    QString proposedPath(const QString& url) const;

    struct Waiting {
        QString url;
        JobList::Row row;
        BrowserSession session;
    };
    std::deque<Waiting> waiting_;
    struct Follower {
        JobList::Row leader;
        Waiting listed;
    };
    std::vector<Follower> followers_;
    // Takes out the URLs that follow the prompt open now.
    std::vector<Waiting> takeFollowers();
    // Where a follower of the path chosen now is saved.
    QString followerPath(const Waiting& follower) const;
    JobList::Row row_;
    BrowserSession session_;
    bool busy_ = false;

    KevaContext& context_;
    DownloadWindows& windows_;
};
