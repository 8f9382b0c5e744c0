#include "core/Formatting.h"
#include "platform/DesktopShell.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "uiutil/MessageBoxPrompter.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTextStream>

namespace {

// Until the job list arrives, the main window shows where the program keeps
// its files and what its settings count.
QMainWindow* makeMainWindow(const KevaContext& context)
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
    window->setCentralWidget(page);
    window->statusBar()->showMessage(QStringLiteral("Ready"));
    window->resize(560, 200);
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

    QMainWindow* window = makeMainWindow(context);
    window->show();
    const int result = QApplication::exec();
    delete window;
    return result;
}
