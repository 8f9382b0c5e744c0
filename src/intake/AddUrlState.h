#pragma once

#include "core/BrowserSession.h"
#include "engine/JobList.h"
#include "platform/MimeTable.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class DownloadWindows;
class IntakeSession;
class KevaContext;

// The add-URL dialog without its window: every new download passes its OK
// path, typed by the user or handed over (browser helper, second start,
// drops) through DownLoadURL, which runs the same checks without touching the
// dialog. A URL that passes gets its row at once, in the order the URLs came;
// what may ask the user something (the save prompt, the start with its
// question about an existing file) follows after the caller got its answer.
class AddUrlState : public QObject {
    Q_OBJECT
public:
    // `session` tells whether a URL was added yet (the first asks where to
    // save) and whether a site download waits for its start page.
    AddUrlState(KevaContext& context, IntakeSession& session, DownloadWindows& windows, JobList& lstMain,
                JobList& lstAll, std::function<QDate()> today, QObject* parent = nullptr);

    // The controls.
    QString txtURL;
    QStringList txtURLItems; // the drop-down history
    QString txtChecksum;     // "sha256=HEX" and the like, or empty
    QString caption, banner, Label1, Label2, Command1, Command2;
    bool visible = false;
    bool loaded() const { return loaded_; }

    // Services of the window layer.
    std::function<QString()> clipboardText;
    // Asks where to save a URL that is listed in `row` (the "Save file to?"
    // prompt; one at a time, in order); the session goes with it to the job.
    std::function<void(const QString& url, const JobList::Row& row, const BrowserSession& session)> showSavePrompt;
    // Puts `url`, listed in `row`, behind the save prompt of the URL listed
    // in `leader`: it goes to the folder chosen there, under its own name.
    std::function<void(const JobList::Row& leader, const QString& url, const JobList::Row& row,
                       const BrowserSession& session)>
        followSavePrompt;

    // Creation of the dialog: captions, history, clipboard prefill.
    void load();
    // The caption routine: at load and each time the dialog is activated.
    void applyCaptions();
    void AddHistURL();
    // The URL typed, or several, one a line (UrlList): each passes the checks
    // in turn, and one save prompt serves them all. The dialog stays with the
    // lines that were refused, and goes when there are none.
    void OK();
    void Cancel();
    // A URL from outside; true when it was taken (listed, or about to be).
    // `session` is what the browser knew of it, when a browser handed it
    // over: a download the browser started is judged by the browser's file
    // name when the URL names no file type, saved under that name, and its
    // job sends the browser's page, User-Agent and cookies.
    bool DownLoadURL(const QString& url, const BrowserSession& session = {});
    // Text dropped on the job lists: a URL, or several, one a line, taken as
    // OK takes them, handed over.
    void takeDroppedText(const QString& text);

    bool IsLimitOk(const QString& url) const;
    QString defaultPath(const QString& url, const BrowserSession& session = {}) const;

signals:
    void changed();
    // An OK went all the way through, or Cancel: the dialog is gone.
    void closed();
    // Cancel: the dialog went without a URL.
    void cancelled();

private:
    // Typed into the dialog by the user, or handed over (capture, second
    // start, drops).
    enum class Source { Typed, HandedOver };
    bool runChecks(const QString& url, const BrowserSession& session, Source source);
    // The typed URL with the checksum field as its fragment (in place of a
    // fragment the URL has); nothing when the field holds no checksum, which
    // the user is told.
    std::optional<QString> typedWithChecksum();
    QString badChecksum(const QString& given) const;
    void refuse(const QString& text, const QString& title, Source source);
    // Tells why a typed URL is not captured and asks whether to take it all
    // the same.
    bool typedAnyway(const QString& url);
    void take(const QString& url, const BrowserSession& session);
    // The URLs of a list, in order; gives back the ones refused.
    QStringList takeList(const QStringList& urls, Source source);
    int runningJobsOn(const QString& server) const;
    // A row of the Downloads list that waits unfinished (paused, stopped,
    // failed) for a file of the name `url` is saved under, from another
    // address; nothing when there is none.
    JobList::Row unfinishedRowFor(const QString& url, const BrowserSession& session) const;
    // Asks whether the unfinished `row` goes on from `url` (a link that
    // expired, handed over anew by the browser); else `url` is taken as new.
    void offerNewAddress(const JobList::Row& row, const QString& url, const BrowserSession& session);
    void destroy();

    KevaContext& context_;
    IntakeSession& session_;
    DownloadWindows& windows_;
    JobList& lstMain_;
    JobList& lstAll_;
    std::function<QDate()> today_;
    MimeTable mimeTable_;
    bool loaded_ = false;
    // While a list is taken: the first URL that asks where to save leads,
    // and every URL taken after it follows it into the folder chosen there.
    struct Listed {
        QString url;
        JobList::Row row;
        BrowserSession session;
    };
    struct Batch {
        std::optional<Listed> leader;
        std::vector<Listed> followers;
    };
    std::optional<Batch> batch_;
};
