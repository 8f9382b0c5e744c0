#include "mainwin/MainWindowState.h"

#include "core/CaptionTable.h"
#include "core/ProgramTitle.h"
#include "engine/DownloadWindows.h"
#include "intake/IntakeSession.h"
#include "platform/AtomicFile.h"
#include "schedule/ScheduleState.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDialogState.h"
#include "settings/SettingsStore.h"
#include "settings/SwitchClickCapture.h"
#include "settings/UserGuide.h"

#include <QDir>
#include <QLocale>

#include <cmath>

namespace {

// The main window's captioned controls, with their language keys.
constexpr CaptionKey kCaptions[] = {
    {"file_mnu", "01010", "&File"},
    {"Add_mnu", "01011", "&Add URL"},
    {"exit_mnu", "01012", "E&xit"},
    {"downloads_mnu", "01020", "&Downloads"},
    {"mnu_SiteDown", "01083", "&Site Downloader"},
    {"mnu_Redown", "01021", "&Re-Download"},
    {"pauseall_mnu", "01022", "P&ause All"},
    {"resumeall_mnu", "01023", "R&esume All"},
    {"stopall_mnu", "01024", "S&top All"},
    {"options_mnu", "01030", "&Options"},
    {"mnuSchedule", "01085", "Schedule"},
    {"settings_mnu", "01031", "&Settings"},
    {"showwindows_mnu", "01032", "&Show Windows"},
    {"hidewindows_mnu", "01033", "&Hide Windows"},
    {"help_mnu", "01040", "&Help"},
    {"About_mnu", "01041", "&About"},
    {"UserGuide_mnu", "01042", "&User's Guide"},
    {"toolbar_AddUrl", "01001", "Add URL"},
    {"toolbar_AddSite", "01084", "Add Site"},
    {"toolbar_Schedule", "01086", "Schedule"},
    {"toolbar_Help", "01087", "Help"},
    {"Label1", "01002", "Language"},
    {"column_1", "01088", "Filename"},
    {"column_2", "01003", "%"},
    {"column_3", "01089", "Size"},
    {"column_4", "01004", "Recieved"},
    {"column_5", "01005", "Status"},
    {"column_6", "01006", "URL"},
    {"column_7", "01007", "Date"},
    {"showstatus_traymnu", "01057", "Show Download Status"},
    {"tools_traymnu", "01050", "&Tools"},
    {"enterurl_traymnu", "01051", "Enter &URL"},
    {"settings_traymnu", "01052", "Settings..."},
    {"mnuPauseAllTray", "01022", "Pause All"},
    {"mnuresumeAllTray", "01023", "Resume All"},
    {"droptarget_traymnu", "01053", "&Drop Target"},
    {"options_traymnu", "01030", "&Options"},
    {"clipboardmonitoring_traymnu", "01054", "Clipboard Monitoring"},
    {"captureclicks_traymnu", "01055", "Capture Clicks"},
    {"close_traymnu", "01056", "&Close KEVA"},
    {"node_Downloads", "01077", "Downloads"},
    {"node_History", "01078", "History"},
    {"node_All", "01079", "All"},
    {"node_Ysterday", "01080", "Ysterday"},
    {"node_PastWeek", "01081", "PastWeek"},
    {"node_PastMonth", "01082", "PastMonth"},
    {"downloadwindows_traymnu", "01097", "Download Windows"},
    {"windows_traymnu", "01098", "<blank>"},
    {"queue_mnu", "01090", "Queue Menu"},
    {"refresh_qmnu", "01091", "Refresh"},
    {"clear_qmnu", "01092", "Clear Queue"},
    {"selectall_qmnu", "01093", "Select All"},
    {"deselectall_qmnu", "01094", "De-Select All"},
    {"mnuReDownload", "01095", "Re-Download URL..."},
    {"removeselection_qmnu", "01096", "Remove Selection"},
    {"changeaddress_qmnu", "01150", "Change Address..."},
    {"startnow_qmnu", "01151", "Start Now"},
    {"moveup_qmnu", "01152", "Move Up"},
    {"movedown_qmnu", "01153", "Move Down"},
    {"pause_qmnu", "04012", "&Pause"},
    {"resume_qmnu", "04013", "&Resume"},
    {"stop_qmnu", "04014", "&Stop"},
    {"pauseall_qmnu", "01022", "P&ause All"},
    {"resumeall_qmnu", "01023", "R&esume All"},
    {"stopall_qmnu", "01024", "S&top All"},
};

const QString kLanguageKey = QStringLiteral("Software\\Quillspan\\Language");

} // namespace

MainWindowState::MainWindowState(KevaContext& context, IntakeSession& session, DownloadWindows& windows,
                                 JobViews& views, Clock today, QObject* parent)
    : QObject(parent)
    , context_(context)
    , session_(session)
    , windows_(windows)
    , views_(views)
    , today_(std::move(today))
    , autosave_(views, [this] { views_.SaveHistory(historyPath(), today_()); })
{
    connect(&windows_, &DownloadWindows::jobEnded, &autosave_, &HistoryAutosave::saveNow);
    connect(&ExtraTimer1, &ExtraTimer::Timer, this, &MainWindowState::ExtraTimer1_Timer);
    connect(&ExtraTimer1, &ExtraTimer::ClockMoved, this, &MainWindowState::ExtraTimer1_Timer);
    captions_ = CaptionTable(kCaptions);
}

void MainWindowState::step(const QString& name)
{
    steps_.append(name);
}

void MainWindowState::Load()
{
    session_.startOver();
    step(QStringLiteral("title"));
    if (loadReceiver && loadReceiver())
        step(QStringLiteral("receiver"));
    if (addTrayIcon) {
        addTrayIcon();
        step(QStringLiteral("tray"));
    }
    removeStaleTemporaries();
    LoadSettings(context_, LoadReason::Startup);
    step(QStringLiteral("settings"));
    if (frmSchedule_) {
        frmSchedule_->load();
        step(QStringLiteral("schedule"));
    }
    views_.LoadHistory(historyPath(), today_());
    autosave_.start();
    step(QStringLiteral("history"));
    const QString language = storedLanguage();
    context_.text.setLanguageFile(language.isEmpty() ? QStringLiteral("English.ini") : language);
    step(QStringLiteral("language"));
    const auto text = [this](const char* key, const char* english) {
        return context_.text.GetText(QString::fromLatin1(key), QString::fromLatin1(english));
    };
    views_.markInterrupted({QStringLiteral("Downloading"), QStringLiteral("Connected"), text("11051", "Downloading"),
                            text("11048", "Connected")},
                           text("11055", "Paused/Stopped"));
    FillLanguageList();
    step(QStringLiteral("language list"));
    if (!context_.text.LanguagePackUnavailable()) {
        SetCaptions();
        step(QStringLiteral("captions"));
    }
    if (frmSchedule_) {
        if (!frmSchedule_->loaded())
            frmSchedule_->load();
        frmSchedule_->InitTimer(true);
        step(QStringLiteral("schedule timer"));
    }
    // Rows that waited in the queue when the program last ended wait again.
    windows_.queue().addListed();
    windows_.startQueued();
}

void MainWindowState::attachSchedule(ScheduleState& frmSchedule)
{
    frmSchedule_ = &frmSchedule;
}

// Also after a move of the clock: the pass works out the time left anew.
void MainWindowState::ExtraTimer1_Timer()
{
    if (!frmSchedule_)
        return;
    if (!frmSchedule_->loaded())
        frmSchedule_->load();
    if (!frmSchedule_->InitTimer(false))
        return;
    windows_.scheduleExistingFileChoice = frmSchedule_->schedule().existingFileChoice();
    windows_.scheduleRun = true;
    RunSchedule();
    windows_.scheduleRun = false;
    ExtraTimer1.setEnabled(false);
}

void MainWindowState::RunSchedule()
{
    JobList& lstMain = views_.lstMain;
    for (int number = 1; number <= lstMain.rowCount(); ++number) {
        const JobList::Row row = lstMain.row(number);
        const QString percent = row->subItem(JobColumn::Percent);
        if (percent == QStringLiteral("0 %") || percent == QStringLiteral("100%"))
            continue;
        // A row whose download never learnt its target ("N/A") has no file to go on with.
        if (!QDir::isAbsolutePath(row->subItem(JobColumn::SavePath)))
            continue;
        int restarted = number;
        windows_.StartJob(row->subItem(JobColumn::Url), row->subItem(JobColumn::SavePath), restarted);
    }
}

bool MainWindowState::restartRow(const JobList::Row& row, const QString& url)
{
    int number = views_.lstMain.numberOf(row);
    if (number == 0 || !QDir::isAbsolutePath(row->subItem(JobColumn::SavePath)))
        return false;
    windows_.StartJob(url, row->subItem(JobColumn::SavePath), number);
    return true;
}

QList<JobList::Row> MainWindowState::selectedTodayRows() const
{
    QList<JobList::Row> rows;
    if (views_.shown() != JobViews::View::Downloads)
        return rows;
    const JobList& lstMain = views_.lstMain;
    for (int number = 1; number <= lstMain.rowCount(); ++number) {
        if (const JobList::Row row = lstMain.row(number); row->selected)
            rows.append(row);
    }
    return rows;
}

JobList::Row MainWindowState::addressChangeRow() const
{
    const QList<JobList::Row> selected = selectedTodayRows();
    if (selected.size() != 1)
        return {};
    const JobList::Row& chosen = selected.first();
    if (chosen->subItem(JobColumn::Percent) == QStringLiteral("100%")
        || !QDir::isAbsolutePath(chosen->subItem(JobColumn::SavePath)))
        return {};
    return chosen;
}

void MainWindowState::changeAddress(const JobList::Row& row, const QString& url)
{
    windows_.ChangeAddress(views_.lstMain.numberOf(row), url);
}

const TextLookup& MainWindowState::texts() const
{
    return context_.text;
}

// A run killed while it replaced a state file leaves the temporary file
// behind; the next start clears those of its own files before reading them.
void MainWindowState::removeStaleTemporaries() const
{
    context_.registry.removeStaleTemporaries();
    for (const QString& name : {QStringLiteral("History.ini"), QStringLiteral("Settings.ini")})
        AtomicFile::removeStaleTemporaries(context_.programFolder.file(name));
}

QString MainWindowState::historyPath() const
{
    return context_.programFolder.file(QStringLiteral("History.ini"));
}

void MainWindowState::saveHistory()
{
    storeLanguage();
    views_.SaveHistory(historyPath(), today_());
}

void MainWindowState::exitCommand()
{
    shutDown(TrayFirst::Yes, true);
}

void MainWindowState::trayClose()
{
    shutDown(TrayFirst::Yes, false);
}

void MainWindowState::sessionEnd()
{
    shutDown(TrayFirst::No, false);
}

// The steps every shutdown path shares, once per run: the history is always
// written; the tray icon goes before or after it; Exit also writes the logins.
void MainWindowState::shutDown(TrayFirst trayFirst, bool writeLogins)
{
    if (ended_)
        return;
    ended_ = true;
    autosave_.stop();
    if (trayFirst == TrayFirst::Yes && removeTrayIcon)
        removeTrayIcon();
    saveHistory();
    if (writeLogins)
        context_.settingsDialogState().SaveToINI();
    if (trayFirst == TrayFirst::No && removeTrayIcon)
        removeTrayIcon();
    if (quit)
        quit();
}

// A job whose window the user closed is finished with: the global commands
// and the rate display leave it alone.
void MainWindowState::forEachWindowedJob(const std::function<void(DownloadJob&)>& visit) const
{
    for (int index = 0; index < DownloadWindows::kSlots; ++index) {
        if (DownloadJob* job = windows_.slot(index); job && job->view().visible)
            visit(*job);
    }
}

// Pause and stop act on running jobs; resume on paused ones. A stopped job
// (its stop button has become the close button) stays stopped.
bool MainWindowState::appliesTo(JobCommand command, const DownloadJob& job)
{
    switch (command) {
    case JobCommand::Pause:
    case JobCommand::Stop: return job.isTransferring();
    case JobCommand::Resume: return job.canResume();
    }
    return false;
}

QList<DownloadJob*> MainWindowState::targets(JobCommand command, Scope scope) const
{
    const JobList& shown = views_.list(views_.shown());
    QList<DownloadJob*> jobs;
    forEachWindowedJob([&](DownloadJob& job) {
        const bool inScope = scope == Scope::All
            || (job.listRow() && job.listRow()->selected && shown.numberOf(job.listRow()) > 0);
        if (inScope && appliesTo(command, job))
            jobs.append(&job);
    });
    return jobs;
}

bool MainWindowState::canRun(JobCommand command, Scope scope) const
{
    return !targets(command, scope).isEmpty();
}

void MainWindowState::run(JobCommand command, Scope scope)
{
    if (command == JobCommand::Stop && scope == Scope::All)
        emit stoppingAll();
    if (scope == Scope::All)
        windows_.holdQueue(command != JobCommand::Resume);
    for (DownloadJob* job : targets(command, scope)) {
        if (command == JobCommand::Stop)
            job->StopMe();
        else
            job->Pause_Resume();
    }
    windows_.startQueued();
}

QList<JobList::Row> MainWindowState::queuedSelection() const
{
    QList<JobList::Row> rows = selectedTodayRows();
    rows.removeIf([](const JobList::Row& row) { return row->subItem(JobColumn::Status) != JobStatus::kQueued; });
    return rows;
}

void MainWindowState::startNow()
{
    for (const JobList::Row& row : queuedSelection())
        windows_.startNow(row);
}

void MainWindowState::moveInQueue(DownloadQueue::Direction direction)
{
    windows_.queue().move(queuedSelection(), direction);
}

void MainWindowState::openJobWindow(const JobList::Row& row) const
{
    DownloadJob* job = windows_.jobOf(row);
    if (job && job->view().visible && showJobWindow)
        showJobWindow(*job);
}

void MainWindowState::PauseAll()
{
    run(JobCommand::Pause, Scope::All);
}

void MainWindowState::ResumeAll()
{
    run(JobCommand::Resume, Scope::All);
}

void MainWindowState::StopAll()
{
    run(JobCommand::Stop, Scope::All);
}

// The sum is taken afresh at every tick, over the jobs that transfer now, so
// it drops to 0 once they end, are paused or closed, or their rows are gone.
void MainWindowState::tmrGraph_Timer()
{
    // A limit raised in the settings lets more waiting downloads start.
    windows_.startQueued();
    rateSum_ = 0;
    forEachWindowedJob([this](const DownloadJob& job) {
        if (job.isTransferring())
            rateSum_ += job.currentRate();
    });
    const int frame = rateSum_ > 0 ? (trayFrame_ < 3 ? trayFrame_ + 1 : 0) : 0;
    if (frame != trayFrame_) {
        trayFrame_ = frame;
        emit trayFrameChanged(frame);
    }
    const QString label = context_.text.GetText(QStringLiteral("01008"), QStringLiteral("Total Transfer Rate: "));
    const QString text = label + QLatin1Char(' ')
        + context_.text.leftToRight(formatRate(rateSum_ / 1000.0, QLocale()) + QStringLiteral(" Kbps"));
    if (text != statusText_) {
        statusText_ = text;
        emit statusTextChanged(text);
    }
}

QString MainWindowState::formatRate(double kilobytes, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = plain.toString(kilobytes, 'f', 3);
    const QChar point = plain.decimalPoint().front();
    // Three decimals at most, two at least.
    if (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    const qsizetype separator = text.indexOf(point);
    if (separator == 1 || (separator == 2 && text.startsWith(QLatin1Char('-'))))
        text.insert(separator - 1, QLatin1Char('0'));
    return text;
}

bool MainWindowState::captureClicksChecked() const
{
    return context_.appSettings.ClickCapture;
}

bool MainWindowState::clipboardMonitoringChecked() const
{
    return context_.appSettings.ClipboardMonitoring;
}

void MainWindowState::toggleClipboardMonitoring()
{
    const bool on = !context_.appSettings.ClipboardMonitoring;
    SettingsStore(context_.registry).putSwitch(QStringLiteral("ClipboardMonitoring"), on);
    context_.appSettings.ClipboardMonitoring = on;
}

void MainWindowState::toggleCaptureClicks()
{
    SwitchClickCapture(context_, !context_.appSettings.ClickCapture);
    context_.prompter.tell(context_.text.GetText(QStringLiteral("13019"),
                                                 QStringLiteral("You will need to close and re-open your web browser "
                                                                "for this change to take effect")),
                           kProgramTitle, Prompter::Icon::Exclamation);
}

QString MainWindowState::storedLanguage() const
{
    return CRegister(context_.registry)
        .REGGetSetting(RegistryRoot::HKEY_CURRENT_USER, kLanguageKey, QStringLiteral("Name"));
}

void MainWindowState::storeLanguage() const
{
    CRegister(context_.registry)
        .REGSaveSetting(RegistryRoot::HKEY_CURRENT_USER, kLanguageKey, QStringLiteral("Name"),
                        context_.text.languageFile());
}

void MainWindowState::FillLanguageList()
{
    const auto loads = loadsAsPicture ? loadsAsPicture : [](const QString&) { return true; };
    if (!languages_.fill(context_.text.languageFolder(), context_.text.languageFile(), loads)) {
        qWarning("Language files: %s", qUtf8Printable(languages_.failure()));
        context_.text.setLanguagePackUnavailable();
        context_.prompter.tell(LanguageList::kErrorText, kProgramTitle, Prompter::Icon::Critical);
    }
    emit languagesChanged();
}

void MainWindowState::ComboLang_Click(const QString& name)
{
    const QString languageFile = name + QStringLiteral(".ini");
    if (languageFile != context_.text.languageFile()) {
        context_.text.setLanguageFile(languageFile);
        SetCaptions();
    }
    languages_.select(languageFile);
    emit languagesChanged();
}

void MainWindowState::SetCaptions()
{
    captions_ = CaptionTable(kCaptions, &context_.text);
    emit captionsChanged();
}

bool MainWindowState::rightToLeft() const
{
    return context_.text.rightToLeft();
}

void MainWindowState::openUserGuide() const
{
    OpenUserGuide(context_.programFolder, context_.shell);
}
