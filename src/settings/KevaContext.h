#pragma once

#include "core/FileExistsChoice.h"
#include "core/TextLookup.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/ShellOpener.h"
#include "settings/AppSettings.h"
#include "settings/CompletionCounters.h"
#include "settings/DialogSettings.h"
#include "settings/SaveLocationChoice.h"

#include <QString>

#include <functional>
#include <memory>

class SettingsDialogState;

// The values that the whole program shares, made once by the program (and
// once by each test) and handed down: the settings record, the settings
// dialog's values, the file-exists choice, the language, and the services of
// the platform.
class KevaContext {
public:
    KevaContext(ProgramFolder programFolder, const QString& registryFolder, Prompter& prompter, ShellOpener& shell,
                QString executablePath);
    ~KevaContext();
    KevaContext(const KevaContext&) = delete;
    KevaContext& operator=(const KevaContext&) = delete;

    const ProgramFolder programFolder;
    Registry registry;
    TextLookup text;
    Prompter& prompter;
    ShellOpener& shell;
    // The running program's own file.
    const QString executablePath;
    // Where the desktop session finds the programs it starts at log-in.
    const QString autostartFolder;

    AppSettings appSettings;
    // Counts completed downloads into appSettings and the store.
    CompletionCounters completions {registry, appSettings};
    SaveLocationChoice saveLocation;
    // What other parts read of the settings dialog's values, as stored.
    DialogSettings dialogSettings;
    // Called when the settings dialog's OK or Apply stored and reloaded the
    // settings, for the parts that start or stop with them.
    std::function<void()> settingsApplied;

    // The settings dialog's values, loaded from the store the first time they
    // are needed and again after the dialog was closed.
    SettingsDialogState& settingsDialogState();
    bool settingsDialogLoaded() const { return settingsDialog_ && !settingsDialogClosed_; }
    // OK and Cancel close the dialog; the next access loads it anew.
    void closeSettingsDialog() { settingsDialogClosed_ = true; }

private:
    std::unique_ptr<SettingsDialogState> settingsDialog_;
    bool settingsDialogClosed_ = false;
};
