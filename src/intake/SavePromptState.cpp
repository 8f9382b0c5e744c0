#include "intake/SavePromptState.h"

#include "engine/DownloadWindows.h"
#include "intake/SavePaths.h"
#include "settings/KevaContext.h"

#include <QTimer>

SavePromptState::SavePromptState(KevaContext& context, DownloadWindows& windows, QObject* parent)
    : QObject(parent)
    , context_(context)
    , windows_(windows)
{
}

void SavePromptState::ask(const QString& url, const JobList::Row& row, const BrowserSession& session)
{
    waiting_.push_back({url, row, session});
    if (!busy_)
        QTimer::singleShot(0, this, &SavePromptState::openNext);
}

void SavePromptState::follow(const JobList::Row& leader, const QString& url, const JobList::Row& row,
                             const BrowserSession& session)
{
    followers_.push_back({leader, {url, row, session}});
}

std::vector<SavePromptState::Waiting> SavePromptState::takeFollowers()
{
    std::vector<Waiting> taken;
    std::erase_if(followers_, [&](const Follower& follower) {
        if (follower.leader != row_)
            return false;
        taken.push_back(follower.listed);
        return true;
    });
    return taken;
}

QString SavePromptState::followerPath(const Waiting& follower) const
{
    return SavePaths::join(SavePaths::folderOf(txtSaveTo), SavePaths::fileNameFor(follower.url, follower.session));
}

void SavePromptState::openNext()
{
    if (busy_ || waiting_.empty())
        return;
    busy_ = true;
    Waiting& next = waiting_.front();
    PromptURL = next.url;
    row_ = next.row;
    session_ = next.session;
    waiting_.pop_front();
    if (showWindow)
        showWindow();
    else
        open();
}

void SavePromptState::finish()
{
    row_.reset();
    session_ = {};
    busy_ = false;
    emit closed();
    if (!waiting_.empty())
        QTimer::singleShot(0, this, &SavePromptState::openNext);
}

JobList::Row SavePromptState::listedRow() const
{
    return row_ && windows_.jobs().numberOf(row_) > 0 ? row_ : JobList::Row();
}

void SavePromptState::open()
{
    const auto text = [this](const char* key, const QString& fallback) {
        return context_.text.caption(QString::fromLatin1(key), fallback);
    };
    caption = text("06000", QStringLiteral("Download File"));
    banner = text("06001", QStringLiteral("Save file to?"));
    Frame1 = text("04001", QStringLiteral("&File Info"));
    Label1 = text("06002", QStringLiteral("URL:"));
    Label2 = text("06003", QStringLiteral("Save As:"));
    Command4 = text("06004", QStringLiteral("C&hange"));
    Command1 = text("06006", QStringLiteral("&Begin Download"));
    Command2 = text("06005", QStringLiteral("&Download Later"));
    Command3 = text("05004", QStringLiteral("&Cancel"));
    txtURL = PromptURL;
    txtSaveTo.clear();
    if (askSavePath) {
        if (const auto chosen = askSavePath(text("06007", QStringLiteral("KEVA 3.0 [Save file to?]")),
                                            proposedPath(PromptURL))) {
            txtSaveTo = *chosen;
            context_.dialogSettings.lastSavePath = *chosen;
        }
    }
    emit changed();
}

void SavePromptState::beginDownload()
{
    if (!ready())
        return;
    if (showJobList)
        showJobList();
    // Copies: the next prompt may open while the start asks about an
    // existing file.
    const QString url = txtURL;
    const QString savePath = txtSaveTo;
    const BrowserSession session = session_;
    const JobList::Row listed = listedRow();
    std::vector<std::pair<Waiting, QString>> following;
    for (const Waiting& follower : takeFollowers())
        following.emplace_back(follower, followerPath(follower));
    finish();
    startListed(url, savePath, session, listed);
    for (const auto& [follower, path] : following)
        startListed(follower.url, path, follower.session, follower.row);
}

void SavePromptState::startListed(const QString& url, const QString& savePath, const BrowserSession& session,
                                  const JobList::Row& listed)
{
    int row = listed && windows_.jobs().numberOf(listed) > 0 ? windows_.jobs().numberOf(listed) : -1;
    windows_.StartJob(url, savePath, row, RequestOptions::of(session));
    // Keeping the existing file cancelled this download: its row goes.
    if (windows_.lastStartChoice() == FileExistsChoice::Keep)
        dropUnstarted(listed);
}

void SavePromptState::downloadLater()
{
    if (!ready())
        return;
    listForLater(txtURL, txtSaveTo, session_, listedRow());
    for (const Waiting& follower : takeFollowers())
        listForLater(follower.url, followerPath(follower), follower.session, follower.row);
    finish();
}

void SavePromptState::listForLater(const QString& url, const QString& savePath, const BrowserSession& session,
                                   const JobList::Row& listed)
{
    if (listed && windows_.jobs().numberOf(listed) > 0) {
        windows_.jobs().setSubItem(listed, JobColumn::SavePath, savePath);
        DownloadWindows::keepForLater(url, savePath, RequestOptions::of(session));
    } else {
        windows_.QueueJob(url, savePath, RequestOptions::of(session));
    }
}

void SavePromptState::cancel()
{
    dropUnstarted(listedRow());
    for (const Waiting& follower : takeFollowers())
        dropUnstarted(follower.row);
    finish();
    emit cancelled();
}

// The URL's row goes with a cancel, unless something started it meanwhile.
void SavePromptState::dropUnstarted(const JobList::Row& row)
{
    JobList& jobs = windows_.jobs();
    if (row && jobs.numberOf(row) > 0 && row->subItem(JobColumn::Status) == JobStatus::kNotDownloaded)
        jobs.removeRow(jobs.numberOf(row));
}

void SavePromptState::change()
{
    if (!askSavePath)
        return;
    const QString start = txtSaveTo.isEmpty() ? proposedPath(txtURL) : txtSaveTo;
    if (const auto chosen = askSavePath(
            context_.text.caption(QStringLiteral("06008"), QStringLiteral("Save file to...")), start)) {
        txtSaveTo = *chosen;
        emit changed();
    }
}

// The name as the download saves it: the browser's file name, else the URL's
// decoded, "my file.zip" for "my%20file.zip".
QString SavePromptState::proposedPath(const QString& url) const
{
    return SavePaths::defaultPath(context_.dialogSettings.lastSavePath, SavePaths::fileNameFor(url, session_));
}
