#include "settings/LoadSettings.h"

#include "settings/BrowserRegistration.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsDialogState.h"

namespace {

// The stored values, in the order the loader handles them.
class SettingsStore {
public:
    explicit SettingsStore(Registry& registry)
        : reg_(registry)
    {
    }
    QString get(const char* name, const QString& fallback = QString()) const
    {
        return reg_.REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                                  QString::fromLatin1(name), fallback);
    }
    void put(const char* name, const QString& text)
    {
        reg_.REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                            QString::fromLatin1(name), text);
    }
    // Values gathered with add() are written together by writeAll().
    void add(const QString& name, const QString& text) { pending_.append({name, text}); }
    void add(const char* name, const QString& text) { add(QString::fromLatin1(name), text); }
    void writeAll()
    {
        reg_.REGSaveSettings(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey, pending_);
        pending_.clear();
    }

private:
    CRegister reg_;
    Registry::Values pending_;
};

QString segmentName(int index)
{
    return QStringLiteral("SegmentSize%1").arg(index);
}

void writeFirstRunValues(KevaContext& context, SettingsStore& store)
{
    AppSettings& settings = context.appSettings;
    const QString programFolder = context.programFolder.path();
    BrowserRegistration browsers(context.registry, context.programFolder, context.executablePath);

    // The browsers are registered first: a start that ends before the values
    // below are stored is a first run again, and registers them again.
    browsers.netscapeClicks(true);
    browsers.IECapClicks(true);

    // Every first-run value, RunTimes with them, goes into the hive in one
    // replacement: a crash leaves all of them stored or none, never a hive
    // that counts as set up while values such as ClickCapture are missing.
    store.add("RunTimes", QStringLiteral("1"));
    settings.RunTimes = 1;
    store.add("MonitorTypes", SettingsDefaults::kMonitorTypes);
    store.add("MonitorServer", SettingsDefaults::kMonitorServer);

    store.add("ClickCapture", QStringLiteral("1"));
    settings.ClickCapture = true;

    store.add("ClipboardMonitoring", QStringLiteral("1"));
    settings.ClipboardMonitoring = true;

    store.add("Timeout", QStringLiteral("60"));
    store.add("StopResume", QStringLiteral("1"));
    store.add("TimeResume", QStringLiteral("300"));
    store.add("TimeNoResume", QStringLiteral("600"));
    store.add("Retry", QStringLiteral("1"));
    store.add("RetryTime", QStringLiteral("300"));
    store.add("Retries", QStringLiteral("30"));
    store.add("Rollback", QStringLiteral("4096"));
    settings.Timeout = 60;
    settings.StopResume = true;
    settings.TimeResume = 300;
    settings.TimeNoResume = 600;
    settings.Retry = true;
    settings.RetryTime = 300;
    settings.Retries = 30;
    settings.Rollback = 4096;

    store.add("StartupWithWindows", QStringLiteral("1"));
    store.add("Segment", QStringLiteral("1"));
    settings.Segment = 1;
    for (int i = 1; i <= 9; ++i) {
        const QString& bytes = SettingsDefaults::kSegmentSizes[i - 1];
        store.add(segmentName(i), bytes);
        settings.setSegmentBound(i, bytes.toDouble());
    }

    store.add("PromptDone", QStringLiteral("0"));
    store.add("CloseDownloadWindowWhenDone", QStringLiteral("0"));
    store.add("DownloadNowOption", QStringLiteral("0"));
    store.add("DownloadLaterOption", QStringLiteral("0"));
    store.add("DownloadPromptOption", QStringLiteral("-1"));
    store.add("SaveSameDir", QStringLiteral("0"));
    store.add("TextSameDir", programFolder);
    store.add("SaveLastDir", QStringLiteral("-1"));
    store.add("SaveFileType", QStringLiteral("0"));
    store.add("SaveFileInfo", QStringLiteral("0"));
    store.add("ParentDir", programFolder);
    store.add("UseServer", QStringLiteral("0"));
    store.add("UseDate", QStringLiteral("0"));
    store.add("UseFileExt", QStringLiteral("0"));
    store.add("UseCustom", QStringLiteral("0"));
    store.add("TextCustom", SettingsDefaults::kTextCustom);
    store.writeAll();

    // The fields without a first-run value take their load defaults.
    settings.StartupWithWindows = true;
    settings.PromptDone = false;
    settings.CloseDownloadWindowWhenDone = false;
    settings.DownloadNowOption = false;
    settings.DownloadLaterOption = false;
    settings.DownloadPromptOption = true;
    settings.Downloads = 0;
    settings.AllBytes = 0;
    settings.UsePASV = false;
    settings.UseProxy = false;
    settings.ProxyServer.clear();
    settings.ProxyPort = 80;
    settings.UseFTPProxy = false;
    settings.LoginProxy = false;
    settings.UsePass = false;
    settings.UserID.clear();
    settings.UserPass.clear();
}

void readStoredValues(KevaContext& context, const SettingsStore& store)
{
    AppSettings& settings = context.appSettings;
    SettingsDialogState& dialog = context.frmSettings();
    const QString zero = QStringLiteral("0");

    SettingText::assignInteger(settings.Downloads, store.get("Downloads", zero));
    SettingText::assignNumber(settings.AllBytes, store.get("AllBytes", zero));
    settings.ClickCapture = SettingText::isNumberOne(store.get("ClickCapture"));
    settings.ClipboardMonitoring = SettingText::isNumberOne(store.get("ClipboardMonitoring"));
    dialog.chkClipboard = settings.ClipboardMonitoring;
    SettingText::assignTruth(settings.UsePASV, store.get("UsePASV", zero));
    SettingText::assignTruth(settings.UseProxy, store.get("UseProxy", zero));
    SettingText::assignTruth(settings.LoginProxy, store.get("LoginProxy", zero));
    SettingText::assignTruth(settings.UsePass, store.get("UsePass", zero));
    settings.ProxyServer = store.get("ProxyServer");
    SettingText::assignInteger(settings.ProxyPort, store.get("ProxyPort", QStringLiteral("80")));
    SettingText::assignTruth(settings.UseFTPProxy, store.get("UseFTPProxy", zero));
    settings.UserID = store.get("UserID");
    settings.UserPass = store.get("UserPass");
    SettingText::assignInteger(settings.Timeout, store.get("Timeout", QStringLiteral("60")));
    SettingText::assignTruth(settings.StopResume, store.get("StopResume", QStringLiteral("1")));
    SettingText::assignInteger(settings.TimeResume, store.get("TimeResume", QStringLiteral("300")));
    SettingText::assignInteger(settings.TimeNoResume, store.get("TimeNoResume", QStringLiteral("600")));
    SettingText::assignTruth(settings.Retry, store.get("Retry", QStringLiteral("1")));
    SettingText::assignInteger(settings.RetryTime, store.get("RetryTime", QStringLiteral("300")));
    SettingText::assignInteger(settings.Retries, store.get("Retries", QStringLiteral("30")));
    SettingText::assignInteger(settings.Rollback, store.get("Rollback", QStringLiteral("4096")));
    SettingText::assignInteger(settings.SpeedLimit, store.get("SpeedLimit", QStringLiteral("0")));
    SettingText::assignInteger(settings.Segment, store.get("Segment", QStringLiteral("1")));
    for (int i = 1; i <= 9; ++i) {
        const auto bytes = SettingText::number(
            store.get(segmentName(i).toLatin1().constData(), SettingsDefaults::kSegmentSizes[i - 1]));
        if (bytes)
            settings.setSegmentBound(i, *bytes);
    }
    settings.PromptDone = store.get("PromptDone") == QStringLiteral("1");
    settings.CloseDownloadWindowWhenDone = store.get("CloseDownloadWindowWhenDone") == QStringLiteral("1");
    SettingText::assignTruth(settings.DownloadNowOption, store.get("DownloadNowOption", zero));
    SettingText::assignTruth(settings.DownloadLaterOption, store.get("DownloadLaterOption", zero));
    SettingText::assignTruth(settings.DownloadPromptOption, store.get("DownloadPromptOption", QStringLiteral("-1")));
    SettingText::assignTruth(settings.StartupWithWindows, store.get("StartupWithWindows", QStringLiteral("-1")));
    dialog.chkStartWin = settings.StartupWithWindows;
}

} // namespace

void LoadSettings(KevaContext& context, LoadReason reason)
{
    SettingsStore store(context.registry);
    context.frmSettings().LoadfromINI();

    const QString runTimes = store.get("RunTimes");
    if (runTimes.isEmpty()) {
        writeFirstRunValues(context, store);
        // The dialog loaded before the first-run values existed: load it again.
        context.frmSettings().ShowSettings();
        return;
    }

    if (const auto stored = SettingText::integer<std::int32_t>(runTimes)) {
        if (reason == LoadReason::Startup && *stored < std::numeric_limits<std::int32_t>::max()) {
            context.appSettings.RunTimes = *stored + 1;
            store.put("RunTimes", QString::number(context.appSettings.RunTimes));
        } else {
            context.appSettings.RunTimes = *stored;
        }
    }
    readStoredValues(context, store);
}
