#include "intake/AddUrlState.h"

#include "core/Checksum.h"
#include "core/NetworkName.h"
#include "core/ProgramTitle.h"
#include "core/SplitUrl.h"
#include "core/UrlList.h"
#include "engine/DownloadWindows.h"
#include "intake/CaptureFilters.h"
#include "intake/IntakeSession.h"
#include "intake/SaveLocationRules.h"
#include "intake/SavePaths.h"
#include "intake/ServerLimit.h"
#include "intake/UrlCutting.h"
#include "settings/KevaContext.h"

#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace {

const QString kBadUrlTitle = QStringLiteral("Inalid URL");

} // namespace

AddUrlState::AddUrlState(KevaContext& context, IntakeSession& session, DownloadWindows& windows, JobList& lstMain,
                         JobList& lstAll, std::function<QDate()> today, QObject* parent)
    : QObject(parent)
    , context_(context)
    , session_(session)
    , windows_(windows)
    , lstMain_(lstMain)
    , lstAll_(lstAll)
    , today_(std::move(today))
{
}

void AddUrlState::applyCaptions()
{
    const auto text = [this](const char* key, const QString& fallback = QString()) {
        return context_.text.caption(QString::fromLatin1(key), fallback);
    };
    caption = banner = text("10000", QStringLiteral("Add URL"));
    Label1 = session_.siteDownloadRunning() ? QStringLiteral("http://www.example.org/default.htm")
                                            : text("10002", QStringLiteral("URL:"));
    Label2 = text("10006", QStringLiteral("Checksum (optional):"));
    Command1 = text("02006", QStringLiteral("OK"));
    Command2 = text("05004", QStringLiteral("&Cancel"));
}

void AddUrlState::load()
{
    applyCaptions();
    txtURL.clear();
    txtChecksum.clear();
    txtURLItems.clear();
    AddHistURL();
    if (context_.appSettings.ClipboardMonitoring && clipboardText) {
        const QString clip = clipboardText().trimmed();
        if (clip.contains(QStringLiteral("http://")) || clip.contains(QStringLiteral("https://"))
            || clip.contains(QStringLiteral("ftp://")))
            txtURL = clip;
    }
    loaded_ = true;
    emit changed();
}

void AddUrlState::AddHistURL()
{
    for (const JobList* list : {&lstMain_, &lstAll_}) {
        for (int number = 1; number <= list->rowCount(); ++number)
            txtURLItems.append(list->row(number)->subItem(JobColumn::Url));
    }
}

// Only jobs that connect or transfer count: a row that failed, or one
// listed from an earlier run, holds no connection.
int AddUrlState::runningJobsOn(const QString& server) const
{
    int running = 0;
    for (int index = 0; index < DownloadWindows::kSlots; ++index) {
        const DownloadJob* job = windows_.slot(index);
        if (job && job->isRunning() && GetServerName(job->url()) == server)
            ++running;
    }
    return running;
}

JobList::Row AddUrlState::unfinishedRowFor(const QString& url, const BrowserSession& session) const
{
    const QString name = SavePaths::fileNameFor(url, session);
    for (int number = 1; number <= lstMain_.rowCount(); ++number) {
        const JobList::Row row = lstMain_.row(number);
        const QString savePath = row->subItem(JobColumn::SavePath);
        const QString percent = row->subItem(JobColumn::Percent);
        if (QFileInfo(savePath).fileName() != name || row->subItem(JobColumn::Url) == url
            || percent == QStringLiteral("100%") || !QFileInfo(savePath).isAbsolute() || !QFileInfo::exists(savePath))
            continue;
        const DownloadJob* job = windows_.jobOf(row);
        if (!job || !job->isRunning())
            return row;
    }
    return {};
}

void AddUrlState::offerNewAddress(const JobList::Row& row, const QString& url, const BrowserSession& session)
{
    const QString question = context_.text
                                 .GetText(QStringLiteral("11153"),
                                          QStringLiteral("The download of %1 is unfinished. Go on with it from %2?"))
                                 .arg(context_.text.leftToRight(row->subItem(JobColumn::SavePath)),
                                      context_.text.leftToRight(url));
    const int number = lstMain_.numberOf(row);
    if (number > 0
        && context_.prompter.ask(question, kProgramTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo)
            == Prompter::Answer::Yes) {
        windows_.ChangeAddress(number, url);
        return;
    }
    take(url, session);
}

bool AddUrlState::IsLimitOk(const QString& url) const
{
    return runningJobsOn(GetServerName(url)) <= ServerLimit(context_.dialogSettings, url);
}

QString AddUrlState::defaultPath(const QString& url, const BrowserSession& session) const
{
    return SavePaths::defaultPath(context_.dialogSettings.lastSavePath, SavePaths::fileNameFor(url, session));
}

void AddUrlState::refuse(const QString& text, const QString& title, Source source)
{
    if (source == Source::Typed)
        return context_.prompter.tell(text, title, Prompter::Icon::Exclamation);
    // The sender of a handed-over URL has its answer before the box shows.
    QTimer::singleShot(0, this,
                       [this, text, title] { context_.prompter.tell(text, title, Prompter::Icon::Exclamation); });
}

void AddUrlState::OK()
{
    const QStringList urls = UrlList::parse(txtURL);
    // One URL, or a text that holds none (refused as it stands).
    if (!UrlList::isList(txtURL) || urls.isEmpty()) {
        const std::optional<QString> url = typedWithChecksum();
        if (url && runChecks(*url, {}, Source::Typed))
            destroy();
        return;
    }
    if (!txtChecksum.trimmed().isEmpty())
        return refuse(context_.text.GetText(QStringLiteral("11095"),
                                            QStringLiteral("A checksum names one file: give it with one URL, or end "
                                                           "each URL of the list with #sha256= and its digits.")),
                      kProgramTitle, Source::Typed);
    const QStringList refused = takeList(urls, Source::Typed);
    if (refused.isEmpty())
        return destroy();
    txtURL = refused.join(QLatin1Char('\n'));
    emit changed();
}

QStringList AddUrlState::takeList(const QStringList& urls, Source source)
{
    QStringList refused;
    batch_.emplace();
    for (const QString& url : urls) {
        if (!runChecks(url, {}, source))
            refused.append(url);
    }
    const Batch batch = *std::exchange(batch_, std::nullopt);
    if (batch.leader) {
        showSavePrompt(batch.leader->url, batch.leader->row, batch.leader->session);
        for (const Listed& follower : batch.followers) {
            if (followSavePrompt)
                followSavePrompt(batch.leader->row, follower.url, follower.row, follower.session);
        }
    }
    return refused;
}

void AddUrlState::takeDroppedText(const QString& text)
{
    if (UrlList::isList(text))
        takeList(UrlList::parse(text), Source::HandedOver);
    else
        DownLoadURL(text);
}

std::optional<QString> AddUrlState::typedWithChecksum()
{
    const QString given = txtChecksum.trimmed();
    if (given.isEmpty())
        return txtURL;
    QString problem;
    const auto checksum = Checksum::parse(given, problem);
    if (!checksum) {
        refuse(badChecksum(given), kProgramTitle, Source::Typed);
        return std::nullopt;
    }
    return txtURL.section(QLatin1Char('#'), 0, 0) + QLatin1Char('#') + checksum->toString();
}

QString AddUrlState::badChecksum(const QString& given) const
{
    return context_.text
        .GetText(QStringLiteral("11094"),
                 QStringLiteral("%1 is no checksum that can be used: write sha256=, sha512=, sha1= or md5= followed "
                                "by the hex digits the file's publisher gives."))
        .arg(given);
}

bool AddUrlState::runChecks(const QString& url, const BrowserSession& session, Source source)
{
    const QString lowered = url.toLower();
    const QString invalid = context_.text.GetText(QStringLiteral("11041"), QStringLiteral("Invalid URL"));
    if (!IsDownloadUrl(url))
        return refuse(invalid, kProgramTitle, source), false;
    if (lowered.startsWith(QStringLiteral("ftp://")) && url.size() < 8)
        return refuse(invalid, kProgramTitle, source), false;
    if (!Checksum::ofUrl(url).problem.isEmpty())
        return refuse(badChecksum(url.section(QLatin1Char('#'), 1)), kProgramTitle, source), false;
    const QString ext = CapturedExtension(url, session, mimeTable_).toLower();
    const bool startPage = session_.siteDownloadRunning();
    const bool badExtension = !IsValidExt(ext) || ext.isEmpty();
    if (badExtension && (source == Source::HandedOver || startPage))
        return refuse(context_.text.GetText(QStringLiteral("11058"), QStringLiteral("Invalid File URL...")),
                      context_.text.GetText(QStringLiteral("11060"), kBadUrlTitle), source),
               false;
    if (startPage && ext != QStringLiteral("htm") && ext != QStringLiteral("html"))
        return refuse(context_.text.GetText(QStringLiteral("11059"), QStringLiteral("Invalid Site URL...")),
                      context_.text.GetText(QStringLiteral("11060"), kBadUrlTitle), source),
               false;
    // The type filters decide alone for captured and handed-over URLs, which
    // are not the user's choice and pass by silently. The user who typed a
    // URL is told why it is not captured, and may take it all the same. The
    // start page of a site download is a page, whatever types are monitored.
    const bool unmonitored = !startPage
        && (badExtension || !IsTypePermitted(ext, context_.dialogSettings.txtMonitorTypes));
    if (unmonitored && source == Source::Typed && !typedAnyway(url))
        return false;
    // A list keeps the dialog until every line was judged.
    if (source == Source::Typed && !batch_) {
        visible = false;
        emit changed();
    }
    const QString path = defaultPath(url, session);
    const DialogSettings& settings = context_.dialogSettings;
    if (!IsLimitOk(url)) {
        windows_.QueueJob(url, path, RequestOptions::of(session));
        return true;
    }
    if (!IsServerPermitted(url, settings.txtMonitorServer)) {
        const JobList::Row row = windows_.QueueJob(
            url, context_.text.GetText(QStringLiteral("11061"), QStringLiteral("You block this server")));
        lstMain_.setSubItem(row, JobColumn::Percent, QStringLiteral("0 %"));
        return true;
    }
    if (unmonitored && source == Source::HandedOver)
        return false;
    // A link the browser hands over anew, for a file that waits unfinished:
    // asked once the sender has its answer.
    if (source == Source::HandedOver) {
        if (const JobList::Row unfinished = unfinishedRowFor(url, session)) {
            QTimer::singleShot(0, this,
                               [this, unfinished, url, session] { offerNewAddress(unfinished, url, session); });
            return true;
        }
    }
    take(url, session);
    return true;
}

bool AddUrlState::typedAnyway(const QString& url)
{
    // The type of the name the file would be saved under; none when the
    // address names no file (the "index.html" it would be saved as is no
    // type the user chose).
    const QString type = GetFileName(url).section(QLatin1Char('?'), 0, 0).isEmpty()
        ? QString()
        : QFileInfo(NetworkName::fileNameOf(url)).suffix().toLower();
    const QString shownUrl = context_.text.leftToRight(url);
    const QString why = type.isEmpty()
        ? context_.text.GetText(QStringLiteral("11084"), QStringLiteral("%1 names no file type, so it was not added."))
              .arg(shownUrl)
        : context_.text
              .GetText(QStringLiteral("11056"),
                       QStringLiteral("The file type \".%1\" is not monitored, so %2 was not added."))
              .arg(type, shownUrl);
    const QString text = why + QStringLiteral("\n\n")
        + context_.text.GetText(QStringLiteral("11057"),
                                QStringLiteral("The monitored file types are listed in Settings \u203A Monitoring."))
        + QStringLiteral("\n\n")
        + context_.text.GetText(QStringLiteral("11085"), QStringLiteral("Download it anyway?"));
    return context_.prompter.ask(text, kProgramTitle, Prompter::Icon::Exclamation, Prompter::Buttons::YesNo)
        == Prompter::Answer::Yes;
}

// The URL gets its row now. The first one of a session asks where to save
// it, and so does every one when the settings say so; otherwise it starts by
// the save rules right after this call, or is only listed.
void AddUrlState::take(const QString& url, const BrowserSession& session)
{
    const AppSettings& options = context_.appSettings;
    const bool first = session_.takeFirstUrl();
    if (batch_ && batch_->leader) {
        batch_->followers.push_back({url, windows_.QueueJob(url, defaultPath(url, session)), session});
        return;
    }
    if ((first || options.DownloadPromptOption) && showSavePrompt) {
        const JobList::Row row = windows_.QueueJob(url, defaultPath(url, session));
        // The prompt of a list's leader shows once the list was judged.
        if (batch_)
            batch_->leader = Listed {url, row, session};
        else
            showSavePrompt(url, row, session);
        return;
    }
    if (options.DownloadNowOption) {
        QTimer::singleShot(0, this,
                           [this, url, session] { SaveLocationRules(context_, windows_, today_).apply(url, session); });
        return;
    }
    windows_.QueueJob(url, defaultPath(url, session), RequestOptions::of(session));
}

void AddUrlState::Cancel()
{
    destroy();
    emit cancelled();
}

bool AddUrlState::DownLoadURL(const QString& url, const BrowserSession& session)
{
    return runChecks(url, session, Source::HandedOver);
}

void AddUrlState::destroy()
{
    loaded_ = false;
    visible = false;
    emit changed();
    emit closed();
}
