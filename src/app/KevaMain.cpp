#include "core/Formatting.h"
#include "core/SplitUrl.h"
#include "engine/DownloadWindows.h"
#include "engine/JobList.h"
#include "engine/ui/frmDownload.h"
#include "intake/ui/frmExist.h"
#include "platform/DesktopShell.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDialogState.h"
#include "uiutil/MessageBoxPrompter.h"

#include <QApplication>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTextStream>

namespace {

// Starts `url` now, saved under its own file name in the user's Downloads
// folder.
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

// Until the job list arrives, the main window shows where the program keeps
// its files and what its settings count, and takes a URL to download.
QMainWindow* makeMainWindow(KevaContext& context, DownloadWindows& windows)
{
    auto* window = new QMainWindow;
    window->setWindowTitle(KevaContext::kTitle);
    auto* page = new QWidget(window);
    auto* form = new QFormLayout(page);
    const AppSettings& settings = context.appSettings;
    form->addRow(QStringLiteral("Program folder:"), new QLabel(context.programFolder.path(), page));
    form->addRow(QStringLiteral("Registry folder:"), new QLabel(context.registry.folder(), page));
    form->addRow(QStringLiteral("Times Ran:"), new QLabel(QString::number(settings.RunTimes), page));
    form->addRow(QStringLiteral("Downloaded Files:"), new QLabel(QString::number(settings.Downloads), page));
    form->addRow(QStringLiteral("Bytes Downloaded:"), new QLabel(FormatSize(settings.AllBytes), page));
    auto* url = new QLineEdit(page);
    url->setPlaceholderText(QStringLiteral("http://"));
    auto* download = new QPushButton(QStringLiteral("Download"), page);
    const auto start = [&context, &windows, url] {
        if (!url->text().trimmed().isEmpty())
            startDownload(context, windows, url->text().trimmed());
    };
    QObject::connect(download, &QPushButton::clicked, url, start);
    QObject::connect(url, &QLineEdit::returnPressed, url, start);
    auto* urlRow = new QHBoxLayout;
    urlRow->addWidget(url, 1);
    urlRow->addWidget(download);
    form->addRow(QStringLiteral("URL:"), urlRow);
    window->setCentralWidget(page);
    window->statusBar()->showMessage(QStringLiteral("Ready"));
    window->resize(560, 230);
    return window;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KEVA"));
    QApplication::setOrganizationName(KevaContext::kTitle);

    DesktopShell shell;
    MessageBoxPrompter prompter;
    KevaContext context(ProgramFolder::fromEnvironment(), Registry::defaultFolder(), prompter, shell,
                        QApplication::applicationFilePath());
    LoadSettings(context, LoadReason::Startup);

    QTextStream(stdout) << "KEVA: program folder " << context.programFolder.path() << ", registry "
                        << context.registry.folder() << ", start number " << context.appSettings.RunTimes
                        << Qt::endl;

    JobList jobs;
    DownloadWindows windows(context, jobs);
    QMainWindow* window = makeMainWindow(context, windows);
    // A job's window is deleted with its job, when its slot takes a new job
    // or the slots go at the end.
    windows.showWindow = [&context](DownloadJob& job) { frmDownload::showFor(context, job); };
    windows.askFileExists = [&context, window](const QString&) { return frmExist::ask(context, window); };
    window->show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        startDownload(context, windows, arguments.at(1));
    const int result = QApplication::exec();
    delete window;
    return result;
}
