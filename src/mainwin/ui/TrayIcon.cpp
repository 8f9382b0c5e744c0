#include "mainwin/ui/TrayIcon.h"

#include "mainwin/MainWindowState.h"
#include "mainwin/ui/ActionHook.h"
#include "mainwin/ui/ProgramIcons.h"
#include "mainwin/ui/frmMain.h"
#include "uiutil/LayoutDirection.h"

namespace {

} // namespace

TrayIcon::TrayIcon(MainWindowState& state, frmMain& window, QObject* parent)
    : QObject(parent)
    , state_(state)
    , window_(window)
{
    TRAYMNU.setObjectName(QStringLiteral("TRAYMNU"));
    connect(captions_.add(TRAYMNU.addAction(QString()), "showstatus_traymnu"), &QAction::triggered, &window_,
            &QWidget::show);
    TRAYMNU.addSeparator();
    QMenu* downloadwindows_traymnu = captions_.add(TRAYMNU.addMenu(QString()), "downloadwindows_traymnu");
    captions_.add(downloadwindows_traymnu->addAction(QString()), "windows_traymnu");

    QMenu* tools = captions_.add(TRAYMNU.addMenu(QString()), "tools_traymnu");
    captions_.add(tools->addAction(QString()), "enterurl_traymnu");
    captions_.add(tools->addAction(QString()), "settings_traymnu");
    tools->addSeparator();
    connect(captions_.add(tools->addAction(QString()), "mnuPauseAllTray"), &QAction::triggered, &state_,
            &MainWindowState::PauseAll);
    connect(captions_.add(tools->addAction(QString()), "mnuresumeAllTray"), &QAction::triggered, &state_,
            &MainWindowState::ResumeAll);
    captions_.add(tools->addAction(QString()), "droptarget_traymnu");

    QMenu* options = captions_.add(TRAYMNU.addMenu(QString()), "options_traymnu");
    clipboardmonitoring_traymnu = captions_.add(options->addAction(QString()), "clipboardmonitoring_traymnu");
    captureclicks_traymnu = captions_.add(options->addAction(QString()), "captureclicks_traymnu");
    for (QAction* toggle : {clipboardmonitoring_traymnu, captureclicks_traymnu})
        toggle->setCheckable(true);
    connect(clipboardmonitoring_traymnu, &QAction::triggered, this, [this] {
        state_.toggleClipboardMonitoring();
        showChecks();
    });
    connect(captureclicks_traymnu, &QAction::triggered, this, [this] {
        state_.toggleCaptureClicks();
        showChecks();
    });
    connect(&TRAYMNU, &QMenu::aboutToShow, this, &TrayIcon::showChecks);
    connect(options, &QMenu::aboutToShow, this, &TrayIcon::showChecks);
    TRAYMNU.addSeparator();
    connect(captions_.add(TRAYMNU.addAction(QString()), "close_traymnu"), &QAction::triggered, &state_,
            &MainWindowState::trayClose);

    for (const Dialog dialog : {Dialog::EnterUrl, Dialog::Settings, Dialog::DropTarget})
        setDialog(dialog, {});
    applyCaptions();
    showChecks();

    icon_.setIcon(ProgramIcons::trayFrame(state_.trayFrame()));
    icon_.setToolTip(QStringLiteral("KEVA 3.0"));
    icon_.setContextMenu(&TRAYMNU);
    connect(&state_, &MainWindowState::trayFrameChanged, this,
            [this](int frame) { icon_.setIcon(ProgramIcons::trayFrame(frame)); });
    connect(&state_, &MainWindowState::captionsChanged, this, &TrayIcon::applyCaptions);
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            window_.showRestored();
    });
}

void TrayIcon::applyCaptions()
{
    captions_.apply(state_);
    applyLayoutDirection(TRAYMNU, state_.rightToLeft());
}

void TrayIcon::showChecks()
{
    clipboardmonitoring_traymnu->setChecked(state_.clipboardMonitoringChecked());
    captureclicks_traymnu->setChecked(state_.captureClicksChecked());
}

void TrayIcon::setDialog(Dialog dialog, const std::function<void()>& open)
{
    const char* control = dialog == Dialog::EnterUrl ? "enterurl_traymnu"
        : dialog == Dialog::Settings                 ? "settings_traymnu"
                                                     : "droptarget_traymnu";
    BindActionHook(this, {TRAYMNU.findChild<QAction*>(QString::fromLatin1(control))}, open);
}

bool TrayIcon::showBalloon(const QString& title, const QString& body)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !icon_.isVisible())
        return false;
    icon_.showMessage(title, body);
    return true;
}
