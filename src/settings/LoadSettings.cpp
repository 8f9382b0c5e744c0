#include "settings/LoadSettings.h"

#include "core/ProgramTitle.h"
#include "platform/RegistryReadSession.h"
#include "settings/BrowserRegistration.h"
#include "settings/KevaContext.h"
#include "settings/SettingText.h"
#include "settings/SettingsDialogState.h"
#include "settings/SettingsSchema.h"
#include "settings/SettingsStore.h"
#include "settings/StartupEntry.h"

#include <limits>

namespace {

void writeFirstRunValues(KevaContext& context, SettingsStore& store)
{
    AppSettings& settings = context.appSettings;
    BrowserRegistration browsers(context.registry, context.programFolder, context.executablePath);

    // The Netscape family (here Firefox) is registered first: a start that
    // ends before the values below are stored is a first run again, and
    // registers it again. The other browsers follow the capture switch when
    // the user sets it.
    browsers.netscapeClicks(true);

    // Every first-run value, RunTimes with them, goes into the hive in one
    // replacement: a crash leaves all of them stored or none, never a hive
    // that counts as set up while values such as ClickCapture are missing.
    // The record's fields take what was written, or their load defaults.
    settings.RunTimes = 1;
    for (const SettingEntry& entry : SettingsSchema::all()) {
        std::optional<QString> written;
        if (entry.firstRun == SettingEntry::FirstRun::Text)
            written = entry.firstRunText;
        else if (entry.firstRun == SettingEntry::FirstRun::ProgramFolder)
            written = context.programFolder.path();
        if (written)
            store.stage(entry.name, *written);
        if (entry.load)
            entry.load(settings, written.value_or(entry.loadDefault.value_or(QString())));
    }
    store.commit();
    // The session starts the program as the stored value says from the start.
    if (settings.StartupWithWindows)
        StartupEntry(context.registry, DesktopAutostart(context.autostartFolder), context.executablePath)
            .DoStartUp(StartupEntry::commandLineFor(context.programFolder.path()), kProgramTitle);
}

void readStoredValues(KevaContext& context, const SettingsStore& store)
{
    AppSettings& settings = context.appSettings;
    for (const SettingEntry& entry : SettingsSchema::all()) {
        if (entry.load)
            entry.load(settings, store.forLoad(entry));
    }
    SettingsDialogState& dialog = context.settingsDialogState();
    dialog.monitoring.chkClipboard = settings.ClipboardMonitoring;
    dialog.starting.chkStartWin = settings.StartupWithWindows;
    // The dialog loaded before this start was counted.
    dialog.information.showCounters(settings);
}

} // namespace

void LoadSettings(KevaContext& context, LoadReason reason)
{
    // The record comes from one version of each hive, and its own writes.
    const RegistryReadSession session(context.registry);
    SettingsStore store(context.registry);
    context.settingsDialogState().LoadfromINI();

    const QString runTimes = store.get(QStringLiteral("RunTimes"));
    if (runTimes.isEmpty()) {
        writeFirstRunValues(context, store);
        // The dialog loaded before the first-run values existed: load it again.
        context.settingsDialogState().ShowSettings();
        return;
    }

    if (const auto stored = SettingText::integer<std::int32_t>(runTimes)) {
        if (reason == LoadReason::Startup && *stored < std::numeric_limits<std::int32_t>::max()) {
            context.appSettings.RunTimes = *stored + 1;
            store.put(QStringLiteral("RunTimes"), QString::number(context.appSettings.RunTimes));
        } else {
            context.appSettings.RunTimes = *stored;
        }
    }
    readStoredValues(context, store);
}
