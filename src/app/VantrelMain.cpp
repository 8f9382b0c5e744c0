#include "fileshare/engine/VantsvcLink.h"
#include "fileshare/state/RunningVantrel.h"
#include "fileshare/state/SitePage.h"
#include "fileshare/state/VantrelState.h"
#include "fileshare/ui/CMainFrame.h"
#include "platform/DesktopShell.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramFolder.h"
#include "platform/TerminationSignals.h"
#include "uiutil/MessageBoxPrompter.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));

    MessageBoxPrompter prompter;
    const InstanceLock instance(QString::fromLatin1(VantrelState::kInstanceName));
    if (instance.heldElsewhere()) {
        // The running copy brings its window back (also where no tray can);
        // only when it cannot be reached, say while it is still starting, is
        // the user told.
        if (!RunningVantrel::showWindow())
            prompter.tell(QStringLiteral("You have already started Vantrel."), QStringLiteral("Quillspan"),
                          Prompter::Icon::Exclamation);
        return 0;
    }

    DesktopShell shell;
    VantsvcLink engine(QApplication::applicationDirPath() + QStringLiteral("/Vantsvc"));
    VantrelState state(ProgramFolder::fromEnvironment(), prompter, shell, engine, &SitePage::localAddresses);
    CMainFrame window(state, shell);
    TerminationSignals termination;
    // Closing saves the state and ends the engine, hidden window or not.
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, [&window] {
        window.close();
        QApplication::quit();
    });
    window.show();
    state.loadSavedState();
    return QApplication::exec();
}
