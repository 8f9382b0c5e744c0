#include "settings/LoadSettings.h"

#include "settings/BrowserRegistration.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsDialogState.h"

#include "support/CaseName.h"
#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QString stored(KevaContext& context, const char* name)
{
    return CRegister(context.registry)
        .REGGetSetting(HKLM, SettingsDefaults::kSettingsKey, QString::fromLatin1(name), QStringLiteral("<missing>"));
}

void store(TestHome& home, const char* name, const QString& text)
{
    Registry registry(home.registryFolder());
    CRegister(registry).REGSaveSetting(HKLM, SettingsDefaults::kSettingsKey, QString::fromLatin1(name), text);
}

TEST(LoadSettings, FirstStartWritesEveryFirstRunValue)
{
    TestHome home;
    KevaContext& context = home.newContext();
    LoadSettings(context, LoadReason::Startup);

    const QString folder = home.programFolder();
    const std::pair<const char*, QString> expected[] = {
        {"RunTimes", QStringLiteral("1")},
        {"MonitorTypes", SettingsDefaults::kMonitorTypes},
        {"MonitorServer", SettingsDefaults::kMonitorServer},
        {"ClickCapture", QStringLiteral("1")},
        {"ClipboardMonitoring", QStringLiteral("1")},
        {"Timeout", QStringLiteral("60")},
        {"StopResume", QStringLiteral("1")},
        {"TimeResume", QStringLiteral("300")},
        {"TimeNoResume", QStringLiteral("600")},
        {"Retry", QStringLiteral("1")},
        {"RetryTime", QStringLiteral("300")},
        {"Retries", QStringLiteral("30")},
        {"Rollback", QStringLiteral("4096")},
        {"StartupWithWindows", QStringLiteral("1")},
        {"Segment", QStringLiteral("1")},
        {"SegmentSize1", QStringLiteral("2097152")},
        {"SegmentSize3", QStringLiteral("5242880")},
        {"SegmentSize9", QStringLiteral("20971520")},
        {"PromptDone", QStringLiteral("0")},
        {"CloseDownloadWindowWhenDone", QStringLiteral("0")},
        {"NotifyWhenDone", QStringLiteral("1")},
        {"AllDoneAction", QStringLiteral("<missing>")},
        {"DownloadNowOption", QStringLiteral("0")},
        {"DownloadLaterOption", QStringLiteral("0")},
        {"DownloadPromptOption", QStringLiteral("-1")},
        {"SaveSameDir", QStringLiteral("0")},
        {"TextSameDir", folder},
        {"SaveLastDir", QStringLiteral("-1")},
        {"SaveFileType", QStringLiteral("0")},
        {"SaveFileInfo", QStringLiteral("0")},
        {"ParentDir", folder},
        {"UseServer", QStringLiteral("0")},
        {"UseDate", QStringLiteral("0")},
        {"UseFileExt", QStringLiteral("0")},
        {"UseCustom", QStringLiteral("0")},
        {"TextCustom", QStringLiteral("%M%%D%%Y%")},
        {"Downloads", QStringLiteral("<missing>")},
        {"UsePASV", QStringLiteral("<missing>")},
        {"LimitHTTP", QStringLiteral("<missing>")},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(stored(context, name), text) << name;

    const AppSettings& s = context.appSettings;
    EXPECT_EQ(s.RunTimes, 1);
    EXPECT_TRUE(s.ClickCapture && s.ClipboardMonitoring && s.StopResume && s.Retry && s.StartupWithWindows
                && s.NotifyWhenDone);
    EXPECT_EQ(s.AllDoneAction, 0);
    EXPECT_EQ(s.Timeout, 60);
    EXPECT_EQ(s.RetryTime, 300);
    EXPECT_EQ(s.Retries, 30);
    EXPECT_EQ(s.Rollback, 4096);
    EXPECT_EQ(s.Segment, 1);
    const std::array<double, 10> table = {0,        2097152,  5242880,  5242881,  10485760,
                                          10485761, 15728640, 15728641, 20971520, 20971521};
    EXPECT_EQ(s.SegmentSize, table);
    EXPECT_TRUE(s.DownloadPromptOption);
    EXPECT_FALSE(s.DownloadNowOption || s.DownloadLaterOption || s.PromptDone || s.UsePASV || s.UseProxy);
    EXPECT_EQ(s.ProxyPort, 80);

    // Click capture is on; the first start registers the Netscape family
    // (Firefox's host manifest) only.
    EXPECT_FALSE(context.registry.keyExists(HKLM, BrowserRegistration::kHelperKey));
    for (const char* place : {"config/chromium/NativeMessagingHosts", "config/google-chrome/NativeMessagingHosts"})
        EXPECT_FALSE(QFileInfo::exists(home.path(QString::fromLatin1(place)))) << place;
    EXPECT_TRUE(QFileInfo::exists(home.path(QStringLiteral("user/.mozilla/native-messaging-hosts"))));
    EXPECT_EQ(context.registry.readValue(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Netscape"),
                                         QStringLiteral("DownloadManagerPath")),
              context.executablePath);
    // The box says the session starts the program, and the session has the entry.
    EXPECT_TRUE(QFileInfo::exists(home.configFolder() + QStringLiteral("/autostart/Quillspan.desktop")));
    // The dialog shows the first-run values.
    EXPECT_EQ(context.settingsDialogState().saveTo.txtParentDir, folder);
    EXPECT_EQ(context.settingsDialogState().monitoring.txtMonitorTypes, SettingsDefaults::kMonitorTypes);
}

// Makes every write that would grow a file past `bytes` fail, as if the
// program had been killed at that write: nothing later reaches the disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_ {};
    sighandler_t previous_ = SIG_DFL;
};

// However far the first run's writes got, the hive holds all first-run values
// or none: never RunTimes without the switches, which would then read as off
// at every later start.
TEST(LoadSettings, FirstRunValuesAreStoredAllOrNone)
{
    qint64 fullSize = 0;
    {
        TestHome home;
        LoadSettings(home.newContext(), LoadReason::Startup);
        fullSize = QFileInfo(Registry(home.registryFolder()).hivePath(HKLM)).size();
    }
    ASSERT_GT(fullSize, 1000);

    int partial = 0;
    for (qint64 limit = 0; limit <= fullSize; limit += 64) {
        TestHome home;
        KevaContext& context = home.newContext();
        {
            const FileSizeLimit cut(static_cast<rlim_t>(limit));
            LoadSettings(context, LoadReason::Startup);
        }
        const QString runTimes = stored(context, "RunTimes");
        if (runTimes == QStringLiteral("<missing>")) {
            EXPECT_EQ(stored(context, "ClickCapture"), QStringLiteral("<missing>")) << limit;
            ++partial;
        } else {
            EXPECT_EQ(runTimes, QStringLiteral("1")) << limit;
            EXPECT_EQ(stored(context, "ClickCapture"), QStringLiteral("1")) << limit;
            EXPECT_EQ(stored(context, "ClipboardMonitoring"), QStringLiteral("1")) << limit;
            EXPECT_EQ(stored(context, "TextCustom"), SettingsDefaults::kTextCustom) << limit;
        }

        // The next start finishes the first run, or counts a second one.
        KevaContext& next = home.newContext();
        LoadSettings(next, LoadReason::Startup);
        EXPECT_TRUE(next.appSettings.ClickCapture) << limit;
        EXPECT_TRUE(next.appSettings.ClipboardMonitoring) << limit;
    }
    EXPECT_GT(partial, 0) << "some limits cut the first run short";
}

TEST(LoadSettings, LaterStartsAreCountedAndReloadsAreNot)
{
    TestHome home;
    LoadSettings(home.newContext(), LoadReason::Startup);
    KevaContext& second = home.newContext();
    LoadSettings(second, LoadReason::Startup);
    EXPECT_EQ(stored(second, "RunTimes"), QStringLiteral("2"));
    EXPECT_EQ(second.appSettings.RunTimes, 2);

    LoadSettings(second, LoadReason::Reload);
    EXPECT_EQ(stored(second, "RunTimes"), QStringLiteral("2"));
    EXPECT_EQ(second.appSettings.RunTimes, 2);
}

// A start parses each hive it reads once, however many values it loads (some
// eighty before the reads were kept); its own writes need no read back.
// HKEY_CLASSES_ROOT is not read at all; HKEY_CURRENT_USER only by the first
// start, which registers the browsers there.
TEST(LoadSettings, ParsesEachHiveOncePerStart)
{
    TestHome home;
    const int expected[2][std::size(kRegistryRoots)] = {{0, 1, 1}, {0, 0, 1}}; // in kRegistryRoots' order
    for (const auto& parses : expected) {
        KevaContext& context = home.newContext();
        LoadSettings(context, LoadReason::Startup);
        for (std::size_t i = 0; i < std::size(kRegistryRoots); ++i)
            EXPECT_EQ(context.registry.parseCount(kRegistryRoots[i]), parses[i])
                << registryRootName(kRegistryRoots[i]).toStdString() << ", start " << context.appSettings.RunTimes;
    }
}

struct StoredCase {
    const char* name;
    const char* value;
    const char* text;
    std::function<bool(const AppSettings&)> holds;
};

class LoadSettingsConversions : public testing::TestWithParam<StoredCase> { };

TEST_P(LoadSettingsConversions, ConvertsTheStoredText)
{
    TestHome home;
    store(home, "RunTimes", QStringLiteral("5"));
    store(home, GetParam().value, QString::fromUtf8(GetParam().text));
    KevaContext& context = home.newContext();
    LoadSettings(context, LoadReason::Startup);
    EXPECT_TRUE(GetParam().holds(context.appSettings)) << GetParam().value << " = \"" << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadSettingsConversions,
    testing::Values(
        StoredCase {"ClickCaptureOne", "ClickCapture", "1", [](const AppSettings& s) { return s.ClickCapture; }},
        StoredCase {"ClickCaptureZero", "ClickCapture", "0", [](const AppSettings& s) { return !s.ClickCapture; }},
        StoredCase {"ClickCaptureMinusOneIsNotOne", "ClickCapture", "-1",
                    [](const AppSettings& s) { return !s.ClickCapture; }},
        StoredCase {"PasvTrue", "UsePASV", "True", [](const AppSettings& s) { return s.UsePASV; }},
        StoredCase {"PasvTrueLower", "UsePASV", "true", [](const AppSettings& s) { return s.UsePASV; }},
        StoredCase {"PasvMinusOne", "UsePASV", "-1", [](const AppSettings& s) { return s.UsePASV; }},
        StoredCase {"PasvOne", "UsePASV", "1", [](const AppSettings& s) { return s.UsePASV; }},
        StoredCase {"PasvFalse", "UsePASV", "False", [](const AppSettings& s) { return !s.UsePASV; }},
        StoredCase {"PasvZero", "UsePASV", "0", [](const AppSettings& s) { return !s.UsePASV; }},
        StoredCase {"PromptDoneMinusOneIsOff", "PromptDone", "-1", [](const AppSettings& s) { return !s.PromptDone; }},
        StoredCase {"PromptDoneOne", "PromptDone", "1", [](const AppSettings& s) { return s.PromptDone; }},
        StoredCase {"EmptyTimeoutIsTheDefault", "Timeout", "", [](const AppSettings& s) { return s.Timeout == 60; }},
        StoredCase {"MissingRetriesIsTheDefault", "Unrelated", "x",
                    [](const AppSettings& s) { return s.Retries == 30; }},
        StoredCase {"WordLeavesTimeoutUnset", "Timeout", "soon", [](const AppSettings& s) { return s.Timeout == 0; }},
        StoredCase {"TooLargeForSixteenBits", "TimeNoResume", "99999",
                    [](const AppSettings& s) { return s.TimeNoResume == 0; }},
        StoredCase {"HighProxyPort", "ProxyPort", "65000", [](const AppSettings& s) { return s.ProxyPort == 65000; }},
        StoredCase {"StartupMissingIsOn", "Unrelated", "x", [](const AppSettings& s) { return s.StartupWithWindows; }},
        StoredCase {"SegmentBoundRaised", "SegmentSize5", "1000",
                    [](const AppSettings& s) { return s.SegmentSize[5] == 1001; }},
        StoredCase {"SegmentBoundKept", "SegmentSize4", "1000",
                    [](const AppSettings& s) { return s.SegmentSize[4] == 1000; }},
        StoredCase {"LargeByteCount", "AllBytes", "12345678901",
                    [](const AppSettings& s) { return s.AllBytes == 12345678901.0; }},
        StoredCase {"ProxyTexts", "UserID", "proxy user",
                    [](const AppSettings& s) { return s.UserID == QStringLiteral("proxy user"); }}),
    CaseName());

TEST(LoadSettings, DialogCheckBoxesFollowTheRecord)
{
    TestHome home;
    store(home, "RunTimes", QStringLiteral("1"));
    store(home, "ClipboardMonitoring", QStringLiteral("0"));
    store(home, "StartupWithWindows", QStringLiteral("0"));
    KevaContext& context = home.newContext();
    context.settingsDialogState().monitoring.chkClipboard = true;
    context.settingsDialogState().starting.chkStartWin = true;
    LoadSettings(context, LoadReason::Startup);
    EXPECT_FALSE(context.settingsDialogState().monitoring.chkClipboard);
    EXPECT_FALSE(context.settingsDialogState().starting.chkStartWin);
}

// The dialog is loaded before the start is counted; its information page
// still shows this start.
TEST(LoadSettings, TheInformationPageCountsThisStart)
{
    TestHome home;
    store(home, "RunTimes", QStringLiteral("4"));
    store(home, "Downloads", QStringLiteral("7"));
    KevaContext& context = home.newContext();
    LoadSettings(context, LoadReason::Startup);
    EXPECT_EQ(context.settingsDialogState().information.lblRan, QStringLiteral("5"));
    EXPECT_EQ(context.settingsDialogState().information.lblDownloads, QStringLiteral("7"));
}

} // namespace
