#include "settings/SettingsDialogState.h"

#include "core/ProgramTitle.h"
#include "settings/BrowserRegistration.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsIniFile.h"
#include "settings/SettingsPageIO.h"
#include "settings/SettingsStore.h"
#include "settings/StartupEntry.h"
#include "settings/SwitchClickCapture.h"

namespace {

const QString kSettingsIni = QStringLiteral("Settings.ini");

// The folder part of a path: empty for a bare name or a file in the root.
QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QString();
}

} // namespace

SettingsDialogState::SettingsDialogState(KevaContext& context)
    : lstLogin(context.dialogSettings.lstLogin)
    , context_(context)
{
}

void SettingsDialogState::ShowSettings()
{
    SettingsStore store(context_.registry);
    SettingsPageIO io(store, context_.appSettings);
    information.show(io, context_.programFolder.path());
    starting.show(io);
    monitoring.show(io);
    saveTo.show(io);
    proxy.show(io);
    connections.show(io);
    limits.show(io);
    whenDone.show(io);
    segments.show(io);

    context_.saveLocation = saveTo.choice();
    LoadfromINI();
    holdForOtherParts();
    saveTo.lblLastDir = lastDirCaption();
    applyState.reset();
}

void SettingsDialogState::StoreSettings()
{
    SettingsStore store(context_.registry);
    SettingsPageIO io(store, context_.appSettings);
    starting.store(io);
    monitoring.store(io);
    saveTo.store(io);
    proxy.store(io);
    connections.store(io);
    limits.store(io);
    whenDone.store(io);
    segments.store(io);
    // All values in one write: a crash keeps the old settings or the new ones.
    store.commit();

    holdForOtherParts();
    SaveToINI();
}

void SettingsDialogState::SaveToINI()
{
    const DialogSettings& held = context_.dialogSettings;
    SettingsIniFile::write(context_.programFolder.file(kSettingsIni), lastDirCaption(), held.lstFileType,
                           held.lstLogin);
}

void SettingsDialogState::LoadfromINI()
{
    DialogSettings& held = context_.dialogSettings;
    held.lstFileType.clear();
    held.lstLogin.clear();
    if (const auto content = SettingsIniFile::read(context_.programFolder.file(kSettingsIni))) {
        // The program folder stands in the file when nothing was saved yet;
        // read back it is no save path, and the next prompt starts in the
        // user's download folder.
        if (content->lastSavePath)
            context_.dialogSettings.lastSavePath = *content->lastSavePath == context_.programFolder.path()
                ? QString()
                : *content->lastSavePath;
        held.lstFileType = content->fileTypes;
        held.lstLogin = content->logins;
    }
    saveTo.lstFileType = held.lstFileType;
    saveTo.lstFileTypeSelected = -1;
    logins.setLogins(held.lstLogin);
}

void SettingsDialogState::apply()
{
    StoreSettings();
    LoadSettings(context_, LoadReason::Reload);
    applyState.reset();
    if (context_.settingsApplied)
        context_.settingsApplied();
}

void SettingsDialogState::ok()
{
    StoreSettings();
    LoadSettings(context_, LoadReason::Reload);
    context_.closeSettingsDialog();
    if (context_.settingsApplied)
        context_.settingsApplied();
}

void SettingsDialogState::cancel()
{
    context_.closeSettingsDialog();
}

void SettingsDialogState::addLogin()
{
    if (logins.addLogin(context_.prompter, context_.text))
        applyState.changed();
}

void SettingsDialogState::deleteSelectedLogins()
{
    logins.deleteSelectedLogins();
    applyState.changed();
}

void SettingsDialogState::addFileType()
{
    if (saveTo.addFileType())
        applyState.changed();
}

void SettingsDialogState::removeSelectedFileType()
{
    if (saveTo.removeSelectedFileType())
        applyState.changed();
}

void SettingsDialogState::holdForOtherParts()
{
    DialogSettings& held = context_.dialogSettings;
    held.txtMonitorTypes = monitoring.txtMonitorTypes;
    held.txtMonitorServer = monitoring.txtMonitorServer;
    held.txtLimitHTTP = limits.txtLimitHTTP;
    held.txtLimitFTP = limits.txtLimitFTP;
    held.txtLimitAll = limits.txtLimitAll;
    held.lstFileType = saveTo.lstFileType;
    held.lstLogin = logins.lstLogin;
}

void SettingsDialogState::setClipboard(bool checked)
{
    monitoring.chkClipboard = checked;
    context_.appSettings.ClipboardMonitoring = checked;
    applyState.changed();
}

void SettingsDialogState::setIE(bool checked)
{
    monitoring.chkIE = checked;
    SwitchClickCapture(context_, checked);
    applyState.changed();
}

// StartupWithWindows itself changes only when Apply or OK stores the page.
void SettingsDialogState::setStartWin(bool checked)
{
    starting.chkStartWin = checked;
    StartupEntry entry(context_.registry, DesktopAutostart(context_.autostartFolder), context_.executablePath);
    const QString commandLine = StartupEntry::commandLineFor(context_.programFolder.path());
    if (checked)
        entry.DoStartUp(commandLine, kProgramTitle);
    else
        entry.DoNotStartUp(commandLine, kProgramTitle);
    applyState.changed();
}

void SettingsDialogState::setStartIE(bool checked)
{
    starting.chkStartIE = checked;
    context_.appSettings.ClickCapture = checked;
    if (!checked)
        BrowserRegistration(context_.registry, context_.programFolder, context_.executablePath).removeStartExtension();
    applyState.changed();
}

void SettingsDialogState::setUseProxy(bool checked)
{
    proxy.setUseProxy(checked);
    applyState.changed();
}

void SettingsDialogState::setLogProx(bool checked)
{
    proxy.setLogProx(checked);
    applyState.changed();
}

void SettingsDialogState::setSegment(bool checked)
{
    segments.setSegment(checked);
    applyState.changed();
}

void SettingsDialogState::setRpc(bool checked)
{
    connections.setRpc(checked);
    applyState.changed();
}

void SettingsDialogState::chooseSaveRule(SaveToPage::Rule rule)
{
    saveTo.chooseRule(rule);
    applyState.changed();
}

void SettingsDialogState::resetMonitorTypes()
{
    if (monitoring.resetMonitorTypes(context_.prompter, context_.text))
        applyState.changed();
}

void SettingsDialogState::setParentDir(const QString& folder)
{
    saveTo.txtParentDir = folder;
    applyState.changed();
}

// The last save path when it names a file in a folder, else the program folder.
QString SettingsDialogState::lastDirCaption() const
{
    return folderOf(context_.dialogSettings.lastSavePath).isEmpty() ? context_.programFolder.path()
                                                                    : context_.dialogSettings.lastSavePath;
}
