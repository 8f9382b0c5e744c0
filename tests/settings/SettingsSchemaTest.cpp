#include "settings/SettingsSchema.h"

#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsDialogState.h"

#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <QSet>

#include <functional>
#include <map>

#include <gtest/gtest.h>

namespace {

QString stored(KevaContext& context, const QString& name)
{
    return CRegister(context.registry)
        .REGGetSetting(HKLM, SettingsDefaults::kSettingsKey, name, QStringLiteral("<missing>"));
}

// A key that has been set up once and then lost every other value.
KevaContext& startWithOnlyRunTimes(TestHome& home)
{
    Registry registry(home.registryFolder());
    CRegister(registry).REGSaveSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("RunTimes"),
                                       QStringLiteral("4"));
    KevaContext& context = home.newContext();
    LoadSettings(context, LoadReason::Startup);
    return context;
}

TEST(SettingsSchema, EveryValueHasOneEntry)
{
    QSet<QString> names;
    for (const SettingEntry& entry : SettingsSchema::all()) {
        EXPECT_FALSE(names.contains(entry.name.toLower())) << qPrintable(entry.name);
        names.insert(entry.name.toLower());
        EXPECT_TRUE(!entry.dialogSetsField || entry.load) << qPrintable(entry.name);
        EXPECT_EQ(&SettingsSchema::find(entry.name), &entry);
    }
}

// The record filled by the first run is the one a later start reads back
// from what the first run stored.
TEST(SettingsSchema, FirstRunRecordIsWhatTheNextStartReads)
{
    TestHome home;
    KevaContext& first = home.newContext();
    LoadSettings(first, LoadReason::Startup);
    AppSettings expected = first.appSettings;

    KevaContext& second = home.newContext();
    LoadSettings(second, LoadReason::Startup);
    expected.RunTimes = 2;
    EXPECT_TRUE(second.appSettings == expected);
}

struct FallbackCase {
    const char* name;
    const char* shown; // what the dialog shows for a missing value
    std::function<bool(const AppSettings&)> record;
};

// Where the loader and the dialog fall back on different values, both hold.
TEST(SettingsSchema, LoaderAndDialogFallBackAsTheTableSays)
{
    TestHome home;
    KevaContext& context = startWithOnlyRunTimes(home);
    const AppSettings& s = context.appSettings;
    const SettingsDialogState& d = context.settingsDialogState();
    const FallbackCase cases[] = {
        {"RetryTime", "60", [](const AppSettings& a) { return a.RetryTime == 300; }},
        {"Retries", "3", [](const AppSettings& a) { return a.Retries == 30; }},
        {"Timeout", "60", [](const AppSettings& a) { return a.Timeout == 60; }},
        {"TimeResume", "5", [](const AppSettings& a) { return a.TimeResume == 300; }},
        {"TimeNoResume", "10", [](const AppSettings& a) { return a.TimeNoResume == 600; }},
        {"Rollback", "4", [](const AppSettings& a) { return a.Rollback == 4096; }},
        {"SpeedLimit", "0", [](const AppSettings& a) { return a.SpeedLimit == 0; }},
        {"SegmentSize3", "5", [](const AppSettings& a) { return a.SegmentSize[3] == 5242881; }},
    };
    const std::map<QString, QString> shown = {
        {QStringLiteral("RetryTime"), d.connections.txtRetryTime},
        {QStringLiteral("Retries"), d.connections.txtRetries},
        {QStringLiteral("Timeout"), d.connections.txtTimeout},
        {QStringLiteral("TimeResume"), d.connections.txtTimeResume},
        {QStringLiteral("TimeNoResume"), d.connections.txtTimeNoResume},
        {QStringLiteral("Rollback"), d.connections.txtRollback},
        {QStringLiteral("SpeedLimit"), d.connections.txtSpeedLimit},
        {QStringLiteral("SegmentSize3"), d.segments.txtSegment[3]},
    };
    for (const FallbackCase& c : cases) {
        EXPECT_EQ(shown.at(QString::fromLatin1(c.name)), QString::fromLatin1(c.shown)) << c.name;
        EXPECT_TRUE(c.record(s)) << c.name;
    }
    EXPECT_EQ(d.limits.txtLimitHTTP, QStringLiteral("3"));
}

// Apply writes every value that a page of the dialog edits, and none of the
// counters that only the information page shows.
TEST(SettingsSchema, ApplyStoresEveryValueOfTheEditablePages)
{
    TestHome home;
    KevaContext& context = startWithOnlyRunTimes(home);
    context.settingsDialogState().apply();
    for (const SettingEntry& entry : SettingsSchema::all()) {
        const bool edited = entry.page != SettingsPage::None && entry.page != SettingsPage::Information;
        const bool written =
            context.registry.readValue(HKLM, NormalizeKeyPath(SettingsDefaults::kSettingsKey), entry.name).has_value();
        if (entry.name != QStringLiteral("RunTimes")) {
            EXPECT_EQ(written, edited) << qPrintable(entry.name);
        }
    }
}

TEST(SettingsSchema, SpeedLimitGoesFromTheDialogToTheRecord)
{
    TestHome home;
    KevaContext& context = startWithOnlyRunTimes(home);
    context.settingsDialogState().connections.txtSpeedLimit = QStringLiteral("250");
    context.settingsDialogState().apply();
    EXPECT_EQ(stored(context, QStringLiteral("SpeedLimit")), QStringLiteral("250"));
    EXPECT_EQ(context.appSettings.SpeedLimit, 250);
    context.settingsDialogState().cancel();
    EXPECT_EQ(context.settingsDialogState().connections.txtSpeedLimit, QStringLiteral("250"));
}

} // namespace
