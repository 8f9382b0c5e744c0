#include "app/ConsoleLog.h"
#include "app/ConsolePrompter.h"
#include "app/StartupReport.h"
#include "core/ProgramTitle.h"
#include "engine/DownloadWindows.h"
#include "engine/ui/frmDownload.h"
#include "intake/AddUrlState.h"
#include "intake/HandOffTarget.h"
#include "intake/HandOffText.h"
#include "intake/IntakeSession.h"
#include "intake/SavePromptState.h"
#include "intake/frmLocater.h"
#include "intake/ui/TextDropFilter.h"
#include "intake/ui/frmDropTarget.h"
#include "intake/ui/frmExist.h"
#include "intake/ui/frmFile.h"
#include "intake/ui/frmURL.h"
#include "mainwin/RemoteDownloads.h"
#include "mainwin/AboutState.h"
#include "mainwin/DesktopNotifier.h"
#include "mainwin/DownloadNotices.h"
#include "mainwin/JobViews.h"
#include "mainwin/MainWindowState.h"
#include "mainwin/SingleInstance.h"
#include "mainwin/SystemPower.h"
#include "mainwin/WhenAllDone.h"
#include "mainwin/ui/ProgramIcons.h"
#include "mainwin/ui/TrayIcon.h"
#include "mainwin/ui/frmAbout.h"
#include "mainwin/ui/frmMain.h"
#include "mainwin/ui/frmPowerCountdown.h"
#include "platform/DesktopShell.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/TerminationSignals.h"
#include "rpc/RpcCommandLine.h"
#include "rpc/RpcServer.h"
#include "rpc/RpcSwitch.h"
#include "schedule/ScheduleState.h"
#include "schedule/ui/frmSchedule.h"
#include "settings/KevaContext.h"
#include "settings/ui/frmLogin.h"
#include "settings/ui/frmSettings.h"
#include "site/SiteCrawl.h"
#include "site/SiteDownloadState.h"
#include "site/ui/frmSiteDown.h"
#include "uiutil/MessageBoxPrompter.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDate>
#include <QDateTime>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <QTreeView>
#include <QTimer>

#include <memory>

int main(int argc, char** argv)
{
    // Single instance: this check runs first, before anything is made. A
    // start that finds the program running hands its command line over and
    // ends here, without a window and without touching a file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // The remote-control options (--enable-rpc, --rpc-port, --rpc-secret)
    // are this run's own, never a URL to hand over; a bad one ends the start.
    QString rpcProblem;
    const auto rpcOptions = RpcCommandLine::take(arguments, rpcProblem);
    if (!rpcOptions) {
        QTextStream(stderr) << "KEVA: " << rpcProblem << '\n';
        return 2;
    }
    // Without windows (a service, a machine without a display): the same
    // list, queue, schedule and remote control, no window, no tray, no
    // question; what happens goes to standard error.
    const bool noWindows = arguments.removeAll(QStringLiteral("--no-windows")) > 0;
    if (noWindows) {
        if (HandOffTarget::find()) {
            QTextStream(stderr) << "KEVA: KEVA already runs for this user, on the same list and settings; end it "
                                   "first\n";
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (SingleInstance::handOff(SingleInstance::commandLine(arguments))) {
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KEVA"));
    QApplication::setOrganizationName(kProgramTitle);
    QApplication::setWindowIcon(ProgramIcons::program());
    // The program lives on in the tray while its windows are closed.
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopShell shell;
    MessageBoxPrompter boxes;
    ConsolePrompter console;
    Prompter& prompter = noWindows ? static_cast<Prompter&>(console) : boxes;
    KevaContext context(ProgramFolder::fromEnvironment(), Registry::defaultFolder(), prompter, shell,
                        QApplication::applicationFilePath());
    IntakeSession intake;
    JobViews views;
    DownloadWindows windows(context, views.lstMain);
    // Remote control (JSON-RPC): the job list as front ends drive it, on
    // when the settings or this run's command line say so.
    RemoteDownloads remote(context, windows);
    RpcServer rpcServer(remote);
    RpcSwitch rpc(context, rpcServer, *rpcOptions);
    context.settingsApplied = [&rpc] { rpc.apply(); };
    MainWindowState state(context, intake, windows, views, [] { return QDate::currentDate(); });
    frmMain window(state, views, &QSystemTrayIcon::isSystemTrayAvailable);
    TrayIcon tray(state, window);

    // A site download follows every job that starts while it runs.
    SiteCrawl siteCrawl(context, intake, windows);
    // The desktop hears of each download that ends; the tray's balloon
    // stands in where no notification service runs.
    DesktopNotifier notifier(QDBusConnection::sessionBus(), shell);
    DownloadNotices notices(context.appSettings, context.text, notifier);
    notices.showBalloon = [&tray](const QString& title, const QString& body) { return tray.showBalloon(title, body); };
    // Once every download has ended, the action of the When done page.
    SystemPower power(QDBusConnection::systemBus());
    WhenAllDone allDone(context, power);
    allDone.anythingToDo = [&windows] { return windows.busy(); };
    // Both follow every job that starts, with its window or without.
    QObject::connect(&windows, &DownloadWindows::jobStarting, &notices, &DownloadNotices::watch);
    QObject::connect(&windows, &DownloadWindows::jobStarting, &allDone, &WhenAllDone::watch);
    allDone.showCountdown = [&context](PowerCountdown& countdown) {
        frmPowerCountdown::showFor(context.text, countdown);
    };
    // A job's window is deleted with its job, when its slot takes a new job
    // or the slots go at the end.
    windows.showWindow = [&context](DownloadJob& job) { frmDownload::showFor(context.text, job); };
    // Downloads beyond the limit of the Limits page wait in the queue.
    windows.queueLimit = [&context] { return context.dialogSettings.downloadsAtOnce(); };
    // The window the user opens over a job that runs without one only hides
    // when closed.
    state.showJobWindow = [&context](DownloadJob& job) {
        frmDownload::showFor(context.text, job, frmDownload::Closing::HidesWindow);
    };
    windows.askFileExists = [&context, &window](const QString&) { return frmExist::ask(context.text, &window); };
    windows.askLogin = [&context, &window](const QString& server) { return frmLogin::ask(context, server, &window); };
    ConsoleLog log;
    if (noWindows) {
        // Nobody to ask: a file that is there is kept, and a server that
        // wants a login not given gets none.
        windows.showWindow = nullptr;
        windows.askFileExists = [](const QString&) { return FileExistsChoice::Keep; };
        windows.askLogin = nullptr;
        QObject::connect(&windows, &DownloadWindows::jobStarting, &log, &ConsoleLog::watch);
    }

    // Every new URL passes the add-URL path: typed into its dialog, or handed
    // over (receiver window, first start, drops, re-download) through DownLoadURL.
    AddUrlState addUrl(context, intake, windows, views.lstMain, views.lstAll, [] { return QDate::currentDate(); });
    SavePromptState savePrompt(context, windows);
    savePrompt.askSavePath = frmFile::saveAsDialog(&window);
    savePrompt.showJobList = [&views] { views.selectNode(QStringLiteral("Downloads")); };
    savePrompt.showWindow = [&context, &savePrompt, &window] { frmFile::showFor(context.text, savePrompt, &window); };
    addUrl.showSavePrompt = [&savePrompt](const QString& url, const JobList::Row& row, const BrowserSession& session) {
        savePrompt.ask(url, row, session);
    };
    addUrl.followSavePrompt = [&savePrompt](const JobList::Row& leader, const QString& url, const JobList::Row& row,
                                            const BrowserSession& session) {
        savePrompt.follow(leader, url, row, session);
    };
    // Without windows, a URL handed in goes to the list as a remote client's
    // does: into the download folder, through the queue, with no question.
    const auto takeUrl = [&addUrl, &remote, noWindows](const QString& url, const BrowserSession& session = {}) {
        if (!noWindows)
            return addUrl.DownLoadURL(url, session);
        QString problem;
        if (remote.takeHandedIn(url, session, problem).isEmpty()) {
            QTextStream(stderr) << "KEVA: " << problem << Qt::endl;
            return false;
        }
        return true;
    };
    const auto openAddUrl = [&context, &addUrl, &window](Qt::WindowModality modality) {
        return [&context, &addUrl, &window, modality] { frmURL::showFor(context.text, addUrl, &window, modality); };
    };
    // The main menu's Add URL holds the main window until the dialog closes;
    // the tray's Enter URL leaves its menus usable.
    window.setDialog(frmMain::Dialog::AddUrl, openAddUrl(Qt::WindowModal));
    // The site download: its dialog's Next opens the add-URL dialog for the
    // start page; its progress shows in the status bar; Stop All stops it.
    SiteDownloadState siteDownload(context, siteCrawl);
    siteDownload.openAddUrl = openAddUrl(Qt::WindowModal);
    window.setDialog(frmMain::Dialog::SiteDownloader,
                     [&context, &siteDownload, &window] { frmSiteDown::showFor(context, siteDownload, &window); });
    QObject::connect(&addUrl, &AddUrlState::cancelled, &siteCrawl, &SiteCrawl::cancelStart);
    QObject::connect(&savePrompt, &SavePromptState::cancelled, &siteCrawl, &SiteCrawl::cancelStart);
    QObject::connect(&siteCrawl, &SiteCrawl::progressChanged, &window, &frmMain::showSiteProgress);
    QObject::connect(&state, &MainWindowState::stoppingAll, &siteCrawl, &SiteCrawl::stop);
    tray.setDialog(TrayIcon::Dialog::EnterUrl, openAddUrl(Qt::NonModal));
    window.setReDownload(takeUrl);
    for (const auto view : {JobViews::View::Downloads, JobViews::View::All, JobViews::View::Yesterday,
                            JobViews::View::PastWeek, JobViews::View::PastMonth})
        TextDropFilter::install(window.listView(view),
                                [&addUrl](const QString& text) { addUrl.takeDroppedText(text); });
    std::unique_ptr<frmDropTarget> dropTarget;
    tray.setDialog(TrayIcon::Dialog::DropTarget, [&context, &dropTarget] {
        if (!dropTarget)
            dropTarget = std::make_unique<frmDropTarget>(context.prompter, context.text);
        dropTarget->toggle();
    });

    // The schedule, carried out by the main window's long timer.
    ScheduleState schedule(context, state.ExtraTimer1, [] { return QDateTime::currentDateTime(); });
    state.attachSchedule(schedule);
    window.setDialog(frmMain::Dialog::Schedule,
                     [&context, &schedule, &window] { frmSchedule::showFor(context, schedule, &window); });
    const auto openSettings = [&context, &window] { frmSettings::showFor(context, &window); };
    window.setDialog(frmMain::Dialog::Settings, openSettings);
    tray.setDialog(TrayIcon::Dialog::Settings, openSettings);
    // The about box leaves the main window usable.
    AboutState about(context);
    window.setDialog(frmMain::Dialog::About, [&about, &window] { frmAbout::showFor(about, &window); });

    // URLs from outside (the browser helper, a second start) arrive through
    // the hidden receiver window, made in step 3 of the load; the browser
    // helper's come with what the browser knew of them.
    frmLocater receiver([&takeUrl](const QString& text) {
        const HandOffText::Parsed handed = HandOffText::parse(text);
        return takeUrl(handed.url, handed.session);
    });
    // A second start without a URL brings the window back, also where no
    // tray can.
    if (!noWindows)
        receiver.showWindow = [&window] { window.showRestored(); };
    state.loadReceiver = [&receiver] { return receiver.load(); };
    if (!noWindows)
        state.addTrayIcon = [&tray] { tray.add(); };
    state.removeTrayIcon = [&tray] { tray.remove(); };
    state.quit = [] { QCoreApplication::quit(); };
    // The end of the desktop session, or a quit from elsewhere, saves as a
    // log-off does; after a shutdown path this does nothing more.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &state,
                     [&state](QSessionManager&) { state.sessionEnd(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &state, [&state] { state.sessionEnd(); });
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &state, [&state] { state.sessionEnd(); });

    state.Load();
    if (!noWindows) {
        StartupReport::watch(window);
        window.show();
    }
    rpc.apply();

    // A first start with a URL takes it in once it is up.
    if (const QString url = SingleInstance::firstStartUrl(SingleInstance::commandLine(arguments)); !url.isEmpty())
        QTimer::singleShot(0, &window, [&takeUrl, url] { takeUrl(url); });
    return QApplication::exec();
}
