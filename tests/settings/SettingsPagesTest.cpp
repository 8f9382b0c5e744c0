#include "settings/SettingsDialogState.h"

#include "settings/BrowserRegistration.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"
#include "settings/StartupEntry.h"

#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

constexpr auto HKCR = RegistryRoot::HKEY_CLASSES_ROOT;
using Answer = Prompter::Answer;

class SettingsPages : public testing::Test {
protected:
    void SetUp() override
    {
        home.writeFile(QStringLiteral("home/Lang/English.ini"),
                       "[KEVA]\n11020=servers reset\n11021=go on?\n11022=Reset\n11023=types reset\n"
                       "11024=Results:\n11025=Ignored:\n11026=Monitored:\n11027=Rule.\n11028=Capture Test\n"
                       "11029=Bad characters\n");
        LoadSettings(home.newContext(), LoadReason::Startup);
    }
    KevaContext& context() { return home.context(); }
    SettingsDialogState& dialog() { return context().settingsDialogState(); }

    TestHome home;
};

TEST_F(SettingsPages, AnAsteriskInTheFileTypesIsPointedOut)
{
    const struct {
        const char* types;
        bool told;
    } cases[] = {{".ZIP; .R0?;", false}, {".ZIP; *.EXE", true}, {".a|b", true}, {"C:.ZIP", true}};
    for (const auto& c : cases) {
        home.prompter.shown.clear();
        dialog().monitoring.txtMonitorTypes = QString::fromUtf8(c.types);
        dialog().monitoring.checkMonitorTypes(context().prompter, context().text);
        ASSERT_EQ(home.prompter.shown.size(), c.told ? 1 : 0) << c.types;
        if (c.told) {
            EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("Bad characters"));
            EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Bad characters"));
            EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Critical);
        }
        EXPECT_EQ(dialog().monitoring.txtMonitorTypes, QString::fromUtf8(c.types)) << "the text stays";
    }
}

TEST_F(SettingsPages, ResetsAskFirstAndNoLeavesTheBox)
{
    SettingsDialogState& d = dialog();
    d.monitoring.txtMonitorTypes = QStringLiteral(".ISO;");
    d.monitoring.txtMonitorServer = QStringLiteral("a.example");
    home.prompter.script({Answer::No, Answer::No});
    d.resetMonitorTypes();
    d.monitoring.resetMonitorServer(context().prompter, context().text);
    EXPECT_EQ(d.monitoring.txtMonitorTypes, QStringLiteral(".ISO;"));
    EXPECT_EQ(d.monitoring.txtMonitorServer, QStringLiteral("a.example"));
    EXPECT_FALSE(d.applyState.Command1Enabled);
    ASSERT_EQ(home.prompter.shown.size(), 2);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("types reset\n\ngo on?"));
    EXPECT_EQ(home.prompter.shown[1].text, QStringLiteral("servers reset\n\ngo on?"));
    EXPECT_EQ(home.prompter.shown[1].caption, QStringLiteral("Reset"));
    EXPECT_EQ(home.prompter.shown[1].buttons, Prompter::Buttons::YesNo);

    home.prompter.script({Answer::Yes, Answer::Yes});
    d.resetMonitorTypes();
    d.monitoring.resetMonitorServer(context().prompter, context().text);
    EXPECT_EQ(d.monitoring.txtMonitorTypes, SettingsDefaults::kMonitorTypes);
    EXPECT_EQ(d.monitoring.txtMonitorServer, SettingsDefaults::kMonitorServer);
    EXPECT_TRUE(d.applyState.Command1Enabled);
    EXPECT_EQ(CRegister(context().registry)
                  .REGGetSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("MonitorTypes")),
              SettingsDefaults::kMonitorTypes)
        << "nothing is stored before Apply";
}

TEST_F(SettingsPages, TheCaptureTestTellsBothResults)
{
    const struct {
        const char* url;
        const char* expected;
    } cases[] = {
        {"http://example.org/files/part.r01", "Results:\n\nIgnored:False\nMonitored:True\n\nRule."},
        {"http://example.org/files/SETUP.EXE", "Results:\n\nIgnored:False\nMonitored:False\n\nRule."},
        {"http://deb.debian.org/pool/a.zip", "Results:\n\nIgnored:True\nMonitored:True\n\nRule."},
    };
    for (const auto& c : cases) {
        home.prompter.shown.clear();
        dialog().monitoring.txtTestURL = QString::fromUtf8(c.url);
        dialog().monitoring.testCapture(context().prompter, context().text);
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromUtf8(c.expected)) << c.url;
        EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Capture Test"));
        EXPECT_EQ(home.prompter.shown[0].buttons, Prompter::Buttons::Ok);
    }
}

TEST_F(SettingsPages, EachSaveOptionShowsOneFrame)
{
    using Rule = SaveToPage::Rule;
    const Rule rules[] = {Rule::SameDir, Rule::FileType, Rule::FileInfo, Rule::LastDir};
    for (const Rule chosen : rules) {
        dialog().chooseSaveRule(chosen);
        for (const Rule rule : rules)
            EXPECT_EQ(dialog().saveTo.frameShown(rule), rule == chosen);
    }
    EXPECT_TRUE(dialog().applyState.Command1Enabled);
}

TEST_F(SettingsPages, ProxyBoxesFollowTheirClicks)
{
    ProxyPage& p = dialog().proxy;
    EXPECT_FALSE(p.proxyEnabled || p.loginEnabled || p.txtPassEnabled) << "loaded with the proxy off";
    dialog().setUseProxy(true);
    EXPECT_TRUE(p.proxyEnabled && p.loginEnabled && p.txtPassEnabled);
    dialog().setLogProx(false);
    EXPECT_TRUE(p.proxyEnabled);
    EXPECT_FALSE(p.loginEnabled || p.txtPassEnabled);
    dialog().setLogProx(true);
    dialog().applyState.reset();
    p.setPass(false);
    EXPECT_FALSE(p.txtPassEnabled);
    EXPECT_TRUE(p.loginEnabled);
    p.setLoginReq(true);
    EXPECT_TRUE(p.frameLoginRequiredEnabled);
    EXPECT_FALSE(dialog().applyState.Command1Enabled) << "the password and login-required boxes do not enable Apply";
}

TEST_F(SettingsPages, ImmediateSwitchesActBeforeApply)
{
    dialog().setClipboard(false);
    EXPECT_FALSE(context().appSettings.ClipboardMonitoring);
    dialog().setIE(false);
    EXPECT_FALSE(context().appSettings.ClickCapture);
    EXPECT_FALSE(context().registry.keyExists(HKLM, BrowserRegistration::kHelperKey));
    dialog().cancel();
    EXPECT_EQ(CRegister(context().registry)
                  .REGGetSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("ClickCapture")),
              QStringLiteral("0"))
        << "Cancel keeps what the switch did";
    EXPECT_FALSE(dialog().monitoring.chkIE);
}

// The Run value and the session's autostart entry come and go with the box;
// the stored switch waits for Apply.
TEST_F(SettingsPages, TheStartBoxMakesAndRemovesTheStartUpEntry)
{
    Registry& registry = context().registry;
    registry.writeValue(HKLM, StartupEntry::kRunKey, QStringLiteral("Other"), QStringLiteral("other.exe"));
    const QString entry = home.configFolder() + QStringLiteral("/autostart/Quillspan.desktop");

    dialog().setStartWin(true);
    EXPECT_EQ(registry.readValue(HKLM, StartupEntry::kRunKey, QStringLiteral("Quillspan")),
              home.programFolder() + QStringLiteral("/KEVA.exe /STARTUP"));
    EXPECT_TRUE(home.readFile(QStringLiteral("config/autostart/Quillspan.desktop"))
                    .contains("\nExec=" + QFile::encodeName(context().executablePath) + " /STARTUP\n"));
    EXPECT_TRUE(dialog().applyState.Command1Enabled);
    EXPECT_EQ(
        CRegister(registry).REGGetSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("StartupWithWindows")),
        QStringLiteral("1"))
        << "the first run's value, until Apply";

    dialog().setStartWin(false);
    EXPECT_FALSE(registry.readValue(HKLM, StartupEntry::kRunKey, QStringLiteral("Quillspan")).has_value());
    EXPECT_EQ(registry.readValue(HKLM, StartupEntry::kRunKey, QStringLiteral("Other")), QStringLiteral("other.exe"));
    EXPECT_FALSE(QFileInfo::exists(entry));
    dialog().apply();
    EXPECT_EQ(
        CRegister(registry).REGGetSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("StartupWithWindows")),
        QStringLiteral("0"));
}

TEST_F(SettingsPages, BrowserStartOffRemovesTheExtensionsRegistration)
{
    const QString id = QStringLiteral("{34DF0527-A105-4F28-8A64-E4A0DAEAD9F9}");
    const QString approved = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved");
    const QString helper =
        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\") + id;
    const QString rootClass = QStringLiteral("CLSID\\") + id;
    const QString machineClass = QStringLiteral("SOFTWARE\\Classes\\CLSID\\") + id;
    const QString machineTypeLib = QStringLiteral("SOFTWARE\\Classes\\TypeLib\\") + id
        + QStringLiteral("\\InprocServer32\\1.0\\0\\win32");
    const QString rootTypeLib = QStringLiteral("TypeLib\\") + id + QStringLiteral("\\InprocServer32\\1.0\\0\\win32");
    Registry& registry = context().registry;
    registry.writeValue(HKLM, approved, id, QStringLiteral("x"));
    registry.writeValue(HKLM, approved, QStringLiteral("{other}"), QStringLiteral("y"));
    registry.createKey(HKLM, helper);
    registry.writeValue(HKCR, rootClass + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"),
                        QStringLiteral("Apartment"));
    registry.writeValue(HKLM, machineClass + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"),
                        QStringLiteral("Apartment"));
    registry.createKey(HKLM, machineTypeLib);
    registry.createKey(HKCR, rootTypeLib);
    registry.createKey(HKLM, BrowserRegistration::kHelperKey); // capture of the program's own helper is on

    dialog().setStartIE(true);
    EXPECT_TRUE(context().appSettings.ClickCapture);
    EXPECT_TRUE(registry.keyExists(HKLM, helper)) << "switching on removes nothing";

    dialog().applyState.reset();
    dialog().setStartIE(false);
    EXPECT_FALSE(context().appSettings.ClickCapture);
    EXPECT_TRUE(dialog().applyState.Command1Enabled);
    EXPECT_FALSE(registry.readValue(HKLM, approved, id).has_value());
    EXPECT_EQ(registry.readValue(HKLM, approved, QStringLiteral("{other}")), QStringLiteral("y"));
    for (const auto& [root, key] : {std::pair {HKLM, helper},
                                    {HKCR, rootClass + QStringLiteral("\\InprocServer32")},
                                    {HKLM, machineClass + QStringLiteral("\\InprocServer32")},
                                    {HKLM, machineTypeLib},
                                    {HKCR, rootTypeLib}})
        EXPECT_FALSE(registry.keyExists(root, key)) << key.toStdString();
    EXPECT_TRUE(registry.keyExists(HKCR, rootClass)) << "only the listed keys go";
    EXPECT_TRUE(registry.keyExists(
        HKLM, QStringLiteral("SOFTWARE\\Classes\\TypeLib\\") + id + QStringLiteral("\\InprocServer32\\1.0\\0")));
    EXPECT_TRUE(registry.keyExists(HKLM, BrowserRegistration::kHelperKey)) << "the own helper stays";

    dialog().setStartIE(true);
    EXPECT_FALSE(registry.keyExists(HKLM, helper)) << "switching on again restores nothing";
}

TEST_F(SettingsPages, SegmentBoxEnablesTheTable)
{
    EXPECT_TRUE(dialog().segments.segmentsEnabled);
    dialog().setSegment(false);
    EXPECT_FALSE(dialog().segments.segmentsEnabled);
    EXPECT_TRUE(dialog().applyState.Command1Enabled);
}

TEST_F(SettingsPages, TheRemoteControlBoxMakesItsSecretOnceAndApplyStartsIt)
{
    ConnectionsPage& page = dialog().connections;
    EXPECT_FALSE(page.chkRpc);
    EXPECT_EQ(page.txtRpcPort, QStringLiteral("6800"));
    EXPECT_EQ(page.txtRpcAddress, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(page.txtRpcSecret, QString());

    dialog().setRpc(true);
    const QString secret = page.txtRpcSecret;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(secret).hasMatch()) << secret.toStdString();
    EXPECT_TRUE(dialog().applyState.Command1Enabled);
    dialog().setRpc(false);
    dialog().setRpc(true);
    EXPECT_EQ(page.txtRpcSecret, secret);

    int applied = 0;
    context().settingsApplied = [&applied] { ++applied; };
    dialog().apply();
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(context().appSettings.RpcEnabled);
    EXPECT_EQ(context().appSettings.RpcPort, 6800);
    EXPECT_EQ(context().appSettings.RpcSecret, secret);
    EXPECT_EQ(context().appSettings.RpcListenAddress, QStringLiteral("127.0.0.1"));
}

} // namespace
