#include "app/StartupReport.h"
#include "core/SplitUrl.h"
#include "engine/DownloadWindows.h"
#include "engine/ui/frmDownload.h"
#include "intake/frmLocater.h"
#include "intake/ui/frmExist.h"
#include "mainwin/JobViews.h"
#include "mainwin/MainWindowState.h"
#include "mainwin/SingleInstance.h"
#include "mainwin/ui/ProgramIcons.h"
#include "mainwin/ui/TrayIcon.h"
#include "mainwin/ui/frmMain.h"
#include "platform/DesktopShell.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/TerminationSignals.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDialogState.h"
#include "uiutil/MessageBoxPrompter.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QInputDialog>
#include <QSessionManager>
#include <QStandardPaths>
#include <QSystemTrayIcon>

namespace {

// Starts `url` now, saved under its own file name in the user's Downloads
// folder. Stands in for the add-URL path until it arrives.
void startDownload(KevaContext& context, DownloadWindows& windows, const QString& url)
{
    const UrlParts parts = SplitUrl(url, context.frmSettings().lstLogin);
    if (parts.Server.isEmpty()) {
        context.prompter.tell(context.text.GetText(QStringLiteral("11041"), QStringLiteral("Invalid URL")),
                              KevaContext::kTitle, Prompter::Icon::Exclamation);
        return;
    }
    const QDir downloads(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    downloads.mkpath(QStringLiteral("."));
    const QString name = parts.FileName.isEmpty() ? QStringLiteral("index.html") : parts.FileName;
    int row = -1;
    windows.StartJob(url, downloads.filePath(name), row);
}

} // namespace

int main(int argc, char** argv)
{
    // Single instance: this check runs first, before anything is made. A
    // start that finds the program running hands its command line over and
    // ends here, without a window and without touching a file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (SingleInstance::handOff(SingleInstance::commandLine(arguments)))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KEVA"));
    QApplication::setOrganizationName(KevaContext::kTitle);
    QApplication::setWindowIcon(ProgramIcons::program());
    // The program lives on in the tray while its windows are closed.
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopShell shell;
    MessageBoxPrompter prompter;
    KevaContext context(ProgramFolder::fromEnvironment(), Registry::defaultFolder(), prompter, shell,
                        QApplication::applicationFilePath());
    JobViews views;
    DownloadWindows windows(context, views.lstMain);
    MainWindowState state(context, windows, views, [] { return QDate::currentDate(); });
    frmMain window(context, state, views, &QSystemTrayIcon::isSystemTrayAvailable);
    TrayIcon tray(state, window);

    // A job's window is deleted with its job, when its slot takes a new job
    // or the slots go at the end.
    windows.showWindow = [&context](DownloadJob& job) { frmDownload::showFor(context, job); };
    windows.askFileExists = [&context, &window](const QString&) { return frmExist::ask(context, &window); };

    // Until the add-URL dialog arrives, "Add URL" asks for an address and
    // starts it into the Downloads folder.
    const auto addUrl = [&context, &windows, &window] {
        bool ok = false;
        const QString url = QInputDialog::getText(&window, KevaContext::kTitle, QStringLiteral("URL:"),
                                                  QLineEdit::Normal, QStringLiteral("http://"), &ok)
                                .trimmed();
        if (ok && !url.isEmpty())
            startDownload(context, windows, url);
    };
    window.setDialog(frmMain::Dialog::AddUrl, addUrl);
    tray.setDialog(TrayIcon::Dialog::EnterUrl, addUrl);
    window.setReDownload([&context, &windows](const QString& url) { startDownload(context, windows, url); });

    // URLs from outside (the browser helper, a second start) arrive through
    // the hidden receiver window, made in step 3 of the load.
    frmLocater receiver([&context, &windows](const QString& text) { startDownload(context, windows, text); });
    state.loadReceiver = [&receiver] { return receiver.load(); };
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
    StartupReport::watch(window);
    window.show();

    // A first start with a URL takes it in once it is up.
    const QString commandLine = SingleInstance::commandLine(arguments);
    if (!commandLine.isEmpty())
        startDownload(context, windows, commandLine);
    return QApplication::exec();
}
