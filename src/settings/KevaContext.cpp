#include "settings/KevaContext.h"

#include "platform/DesktopAutostart.h"
#include "settings/SettingsDialogState.h"

KevaContext::KevaContext(ProgramFolder folder, const QString& registryFolder, Prompter& prompterService,
                         ShellOpener& shellService, QString executable)
    : programFolder(std::move(folder))
    , registry(registryFolder)
    , text(programFolder.languageFolder())
    , prompter(prompterService)
    , shell(shellService)
    , executablePath(std::move(executable))
    , autostartFolder(DesktopAutostart::defaultFolder())
{
}

KevaContext::~KevaContext() = default;

SettingsDialogState& KevaContext::settingsDialogState()
{
    if (!settingsDialogLoaded()) {
        // The old state may be the caller of closeSettingsDialog(); keep it
        // alive until the new one has replaced it.
        auto fresh = std::make_unique<SettingsDialogState>(*this);
        settingsDialog_.swap(fresh);
        settingsDialogClosed_ = false;
        settingsDialog_->ShowSettings();
    }
    return *settingsDialog_;
}
