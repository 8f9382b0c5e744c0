#include "intake/AddUrlState.h"

#include "engine/DownloadWindows.h"
#include "core/SplitUrl.h"
#include "engine/JobList.h"
#include "intake/CaptureFilters.h"
#include "intake/SaveLocationRules.h"
#include "intake/SavePaths.h"
#include "intake/ServerLimit.h"
#include "intake/UrlCutting.h"
#include "settings/KevaContext.h"

namespace {

const QString kBadUrlTitle = QStringLiteral("Inalid URL");

} // namespace

AddUrlState::AddUrlState(KevaContext& context, DownloadWindows& windows, JobList& lstMain, JobList& lstAll,
                         std::function<QDate()> today, QObject* parent)
    : QObject(parent)
    , context_(context)
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
    Label1 = context_.SiteDownloadMode ? QStringLiteral("http://www.example.org/default.htm")
                                       : text("10002", QStringLiteral("URL:"));
    Command1 = text("02006", QStringLiteral("OK"));
    Command2 = text("05004", QStringLiteral("&Cancel"));
}

void AddUrlState::load()
{
    applyCaptions();
    txtURL.clear();
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

bool AddUrlState::IsLimitOk(const QString& url) const
{
    const QString server = GetServerName(url);
    int running = 0;
    for (int number = 1; number <= lstMain_.rowCount(); ++number) {
        const JobList::Row row = lstMain_.row(number);
        const QString percent = row->subItem(JobColumn::Percent);
        if (percent != QStringLiteral("0%") && percent != QStringLiteral("100%")
            && GetServerName(row->subItem(JobColumn::Url)) == server)
            ++running;
    }
    return running <= ServerLimit(context_.dialogSettings, url);
}

QString AddUrlState::defaultPath(const QString& url) const
{
    return SavePaths::defaultPath(context_.LastSavePath, GetFileName(url));
}

void AddUrlState::refuse(const QString& text, const QString& title)
{
    context_.prompter.tell(text, title, Prompter::Icon::Exclamation);
}

void AddUrlState::OK()
{
    runChecks(Source::Typed);
}

void AddUrlState::runChecks(Source source)
{
    const QString url = txtURL;
    const QString lowered = url.toLower();
    const QString invalid = context_.text.GetText(QStringLiteral("11041"), QStringLiteral("Invalid URL"));
    if (!HasDownloadScheme(url))
        return refuse(invalid, KevaContext::kTitle);
    if (lowered.startsWith(QStringLiteral("ftp://")) && url.size() < 8)
        return refuse(invalid, KevaContext::kTitle);
    const QString ext = GetExtensionName(GetFileName(url)).toLower();
    if (!IsValidExt(ext) || ext.isEmpty())
        return refuse(QStringLiteral("Invalid File URL..."), kBadUrlTitle);
    if (context_.SiteDownloadMode && ext != QStringLiteral("htm") && ext != QStringLiteral("html"))
        return refuse(QStringLiteral("Invalid Site URL..."), kBadUrlTitle);

    visible = false;
    emit changed();
    const QString path = defaultPath(url);
    const DialogSettings& settings = context_.dialogSettings;
    if (!IsLimitOk(url)) {
        windows_.QueueJob(url, path);
        return;
    }
    if (!IsServerPermitted(url, settings.txtMonitorServer)) {
        windows_.QueueJob(url, QStringLiteral("You block this server"));
        lstMain_.setSubItem(lstMain_.row(lstMain_.rowCount()), JobColumn::Percent, QStringLiteral("0 %"));
        return;
    }
    if (!IsExtPermitted(url, settings.txtMonitorTypes)) {
        // Captured and handed-over URLs of other types are not the user's
        // choice and pass by silently; a typed one would vanish unexplained.
        if (source == Source::Typed)
            refuse(QStringLiteral("The file type \".%1\" is not monitored, so %2 was not added.\n\n"
                                  "The monitored file types are listed in Settings \u203A Monitoring.")
                       .arg(ext, url),
                   KevaContext::kTitle);
        return;
    }

    const AppSettings& options = context_.appSettings;
    const bool added = context_.UrlAddedThisSession;
    if (options.DownloadPromptOption && added && showSavePrompt)
        showSavePrompt(url);
    if (options.DownloadNowOption && added)
        SaveLocationRules(context_, windows_, today_).apply(url);
    if (options.DownloadLaterOption && added)
        windows_.QueueJob(url, path);
    if (!added && showSavePrompt)
        showSavePrompt(url);
    context_.UrlAddedThisSession = true;
    destroy();
}

void AddUrlState::Cancel()
{
    destroy();
    emit cancelled();
}

void AddUrlState::DownLoadURL(const QString& url)
{
    if (!loaded_)
        load();
    visible = false;
    txtURL = url;
    runChecks(Source::HandedOver);
}

void AddUrlState::destroy()
{
    loaded_ = false;
    visible = false;
    emit changed();
    emit closed();
}
