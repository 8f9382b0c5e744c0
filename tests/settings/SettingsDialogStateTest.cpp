#include "settings/SettingsDialogState.h"

#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"

#include "support/CaseName.h"
#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

namespace {

class SettingsDialog : public testing::Test {
protected:
    void SetUp() override
    {
        home.writeFile(
            QStringLiteral("home/Lang/English.ini"),
            "[KEVA]\n11016=no control characters\n11017=need server\n11018=need user\n11019=need password\n");
        LoadSettings(home.newContext(), LoadReason::Startup);
    }
    KevaContext& context() { return home.context(); }
    SettingsDialogState& dialog() { return context().settingsDialogState(); }
    QString stored(const char* name)
    {
        return CRegister(context().registry)
            .REGGetSetting(HKLM, SettingsDefaults::kSettingsKey, QString::fromLatin1(name),
                           QStringLiteral("<missing>"));
    }

    TestHome home;
};

TEST_F(SettingsDialog, ShowsStoredValuesInTheDialogsUnits)
{
    EXPECT_EQ(dialog().connections.txtTimeResume, QStringLiteral("5"));
    EXPECT_EQ(dialog().connections.txtTimeNoResume, QStringLiteral("10"));
    EXPECT_EQ(dialog().connections.txtRollback, QStringLiteral("4"));
    EXPECT_EQ(dialog().segments.txtSegment[1], QStringLiteral("2"));
    EXPECT_EQ(dialog().segments.txtSegment[9], QStringLiteral("20"));
    EXPECT_EQ(dialog().limits.txtLimitHTTP, QStringLiteral("3")) << "the dialog's own fallback";
    EXPECT_EQ(dialog().connections.txtRetryTime, QStringLiteral("300"));
    EXPECT_TRUE(dialog().monitoring.chkIE);
    EXPECT_TRUE(dialog().whenDone.chkDownloadPrompt);
    EXPECT_TRUE(dialog().saveTo.optLastDir);
    EXPECT_TRUE(dialog().saveTo.optServer);
    EXPECT_EQ(dialog().information.lblRan, QStringLiteral("1"));
    EXPECT_EQ(dialog().information.lblLocation, home.programFolder());
    EXPECT_EQ(dialog().information.lblVersion, QStringLiteral("1.0"));
    EXPECT_EQ(dialog().saveTo.lblLastDir, home.programFolder());
    EXPECT_FALSE(dialog().applyState.Command1Enabled);
}

TEST_F(SettingsDialog, ApplyWithoutChangesKeepsEveryMeaning)
{
    const AppSettings before = context().appSettings;
    dialog().apply();
    const std::pair<const char*, const char*> expected[] = {
        {"TimeResume", "300"},
        {"TimeNoResume", "600"},
        {"Rollback", "4096"},
        {"SegmentSize1", "2097152"},
        {"SegmentSize3", "5242880"},
        {"Timeout", "60"},
        {"RetryTime", "300"},
        {"Retries", "30"},
        {"ClickCapture", "1"},
        {"ClipboardMonitoring", "1"},
        {"StopResume", "1"},
        {"Segment", "1"},
        {"DownloadPromptOption", "True"},
        {"DownloadNowOption", "False"},
        {"SaveSameDir", "False"},
        {"UseServer", "True"},
        {"UseDate", "False"},
        {"LimitHTTP", "3"},
        {"LimitFTP", "3"},
        {"ProxyPort", "80"},
        {"RunTimes", "1"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(stored(name), QString::fromLatin1(text)) << name;
    EXPECT_EQ(stored("SaveLastDir"), home.programFolder());

    const AppSettings& after = context().appSettings;
    EXPECT_EQ(after.SegmentSize, before.SegmentSize);
    EXPECT_EQ(after.TimeResume, before.TimeResume);
    EXPECT_EQ(after.Rollback, before.Rollback);
    EXPECT_EQ(after.RunTimes, 1) << "a reload is no program start";
    EXPECT_FALSE(dialog().applyState.Command1Enabled);
}

struct StoreCase {
    const char* name;
    std::function<void(SettingsDialogState&)> edit;
    const char* value;
    const char* expected;
};

class SettingsDialogStore : public SettingsDialog, public testing::WithParamInterface<StoreCase> { };

TEST_P(SettingsDialogStore, WritesTheControlBack)
{
    GetParam().edit(dialog());
    dialog().StoreSettings();
    EXPECT_EQ(stored(GetParam().value), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsDialogStore,
    testing::Values(
        StoreCase {"SegmentMegabytes", [](SettingsDialogState& d) { d.segments.txtSegment[1] = QStringLiteral("3"); },
                   "SegmentSize1", "3145728"},
        StoreCase {"MinutesToSeconds",
                   [](SettingsDialogState& d) { d.connections.txtTimeResume = QStringLiteral("1.5"); }, "TimeResume",
                   "90"},
        StoreCase {"KilobytesToBytes", [](SettingsDialogState& d) { d.connections.txtRollback = QStringLiteral("8"); },
                   "Rollback", "8192"},
        StoreCase {"NonNumericStoredAsTyped",
                   [](SettingsDialogState& d) { d.connections.txtTimeNoResume = QStringLiteral("soon"); },
                   "TimeNoResume", "soon"},
        StoreCase {"CheckBoxAsOneOrZero", [](SettingsDialogState& d) { d.proxy.chkFtpPASV = true; }, "UsePASV", "1"},
        StoreCase {"OptionAsTrueOrFalse", [](SettingsDialogState& d) { d.whenDone.chkDownloadNow = true; },
                   "DownloadNowOption", "True"},
        StoreCase {"TextAsTyped", [](SettingsDialogState& d) { d.limits.txtLimitFTP = QStringLiteral(" 7 "); },
                   "LimitFTP", " 7 "},
        StoreCase {"SaveLastDirIsTheLabel",
                   [](SettingsDialogState& d) { d.saveTo.lblLastDir = QStringLiteral("/x/y"); }, "SaveLastDir",
                   "/x/y"}),
    CaseName());

TEST_F(SettingsDialog, LoadsTheSaveLocationChoiceForTheIntake)
{
    CRegister reg(context().registry);
    reg.REGSaveSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("SaveFileInfo"), QStringLiteral("True"));
    reg.REGSaveSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("UseDate"), QStringLiteral("True"));
    reg.REGSaveSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("ParentDir"), QStringLiteral("/dl/"));
    dialog().cancel();
    dialog(); // loads anew

    const SaveLocationChoice& choice = context().saveLocation;
    EXPECT_TRUE(choice.SaveFileInfo);
    EXPECT_FALSE(choice.SaveLastDir || choice.SaveSameDir || choice.SaveFileType);
    EXPECT_TRUE(choice.UseDate);
    EXPECT_FALSE(choice.UseServer || choice.UseFileExt);
    EXPECT_EQ(choice.ParentDir, QStringLiteral("/dl/"));
    EXPECT_EQ(choice.TextSameDir, home.programFolder());
}

TEST_F(SettingsDialog, CancelForgetsEditsAndOkKeepsThem)
{
    dialog().limits.txtLimitHTTP = QStringLiteral("9");
    dialog().logins.lstLogin.append({QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("p")});
    EXPECT_EQ(context().dialogSettings.txtLimitHTTP, QStringLiteral("3")) << "other parts read what is stored";
    dialog().cancel();
    EXPECT_EQ(context().dialogSettings.txtLimitHTTP, QStringLiteral("3"));
    EXPECT_TRUE(context().dialogSettings.lstLogin.isEmpty());
    EXPECT_EQ(dialog().limits.txtLimitHTTP, QStringLiteral("3"));

    dialog().limits.txtLimitHTTP = QStringLiteral("5");
    dialog().logins.lstLogin.append({QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("p")});
    dialog().ok();
    EXPECT_FALSE(context().settingsDialogLoaded());
    EXPECT_EQ(context().dialogSettings.txtLimitHTTP, QStringLiteral("5"));
    EXPECT_EQ(context().dialogSettings.lstLogin.size(), 1);
    EXPECT_EQ(dialog().limits.txtLimitHTTP, QStringLiteral("5"));
    EXPECT_EQ(stored("LimitHTTP"), QStringLiteral("5"));
}

struct LoginCase {
    const char* name;
    const char* server;
    const char* user;
    const char* password;
    const char* message; // empty when the login is added
};

class SettingsDialogAddLogin : public SettingsDialog, public testing::WithParamInterface<LoginCase> { };

TEST_P(SettingsDialogAddLogin, ChecksTheBoxesInOrder)
{
    const LoginCase& c = GetParam();
    SettingsDialogState& d = dialog();
    d.logins.txtLoginServer = QString::fromUtf8(c.server);
    d.logins.txtLoginUsername = QString::fromUtf8(c.user);
    d.logins.txtLoginPassword = QString::fromUtf8(c.password);
    d.addLogin();

    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Quillspan"));
        EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Exclamation);
        EXPECT_TRUE(d.logins.lstLogin.isEmpty());
        EXPECT_FALSE(d.applyState.Command1Enabled);
        EXPECT_EQ(d.logins.txtLoginServer, QString::fromUtf8(c.server)) << "the boxes keep what was typed";
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
        ASSERT_EQ(d.logins.lstLogin.size(), 1);
        EXPECT_EQ(d.logins.lstLogin[0],
                  (SiteLogin {QString::fromUtf8(c.server), QString::fromUtf8(c.user), QString::fromUtf8(c.password)}));
        EXPECT_TRUE(d.logins.txtLoginServer.isEmpty() && d.logins.txtLoginUsername.isEmpty()
                    && d.logins.txtLoginPassword.isEmpty());
        EXPECT_TRUE(d.applyState.Command1Enabled);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsDialogAddLogin,
                         testing::Values(LoginCase {"NoServer", "  ", "u", "p", "need server"},
                                         LoginCase {"NoUser", "h", "", "p", "need user"},
                                         LoginCase {"NoPassword", "h", "u", " ", "need password"},
                                         LoginCase {"ControlCharacter", "h", "u", "a\tb", "no control characters"},
                                         LoginCase {"Added", "ftp.example.org", " u ", "pä ss", ""}),
                         CaseName());

TEST_F(SettingsDialog, LoginsAreDeletedAndSortedWithTheirSelection)
{
    SettingsDialogState& d = dialog();
    d.logins.lstLogin = {{QStringLiteral("b"), QStringLiteral("u2"), QStringLiteral("p")},
                         {QStringLiteral("a"), QStringLiteral("u1"), QStringLiteral("q")},
                         {QStringLiteral("C"), QStringLiteral("u3"), QStringLiteral("r")}};
    d.logins.setLoginSelected(0, true);

    d.logins.sortLogins(0); // the list starts ascending, so the first click sorts descending
    EXPECT_FALSE(d.logins.lstLoginAscending);
    EXPECT_EQ(d.logins.lstLogin[0].server, QStringLiteral("C"));
    EXPECT_EQ(d.logins.lstLogin[2].server, QStringLiteral("a"));
    EXPECT_TRUE(d.logins.isLoginSelected(1)) << "the selection moves with its row";
    d.logins.sortLogins(1);
    EXPECT_TRUE(d.logins.lstLoginAscending);
    EXPECT_EQ(d.logins.lstLogin[0].userName, QStringLiteral("u1"));

    d.applyState.Command1Enabled = false;
    d.deleteSelectedLogins();
    EXPECT_EQ(d.logins.lstLogin.size(), 2);
    EXPECT_EQ(d.logins.lstLogin[0].server, QStringLiteral("a"));
    EXPECT_EQ(d.logins.lstLogin[1].server, QStringLiteral("C"));
    EXPECT_TRUE(d.applyState.Command1Enabled);

    d.applyState.Command1Enabled = false;
    d.deleteSelectedLogins();
    EXPECT_EQ(d.logins.lstLogin.size(), 2) << "nothing selected, nothing removed";
    EXPECT_TRUE(d.applyState.Command1Enabled);
}

TEST_F(SettingsDialog, FileTypesNeedBothBoxes)
{
    SettingsDialogState& d = dialog();
    d.saveTo.txtFileType = QStringLiteral("zip");
    d.addFileType();
    EXPECT_TRUE(d.saveTo.lstFileType.isEmpty());
    d.saveTo.txtFileTypeDir = QStringLiteral("/z/");
    d.addFileType();
    d.saveTo.txtFileType = QStringLiteral("*");
    d.saveTo.txtFileTypeDir = QStringLiteral("/o/");
    d.addFileType();
    ASSERT_EQ(d.saveTo.lstFileType.size(), 2);
    EXPECT_TRUE(d.saveTo.txtFileType.isEmpty() && d.saveTo.txtFileTypeDir.isEmpty());

    d.saveTo.lstFileTypeSelected = 1;
    d.removeSelectedFileType();
    EXPECT_EQ(d.saveTo.lstFileType, (QList<FileTypeFolder> {{QStringLiteral("zip"), QStringLiteral("/z/")}}));
    EXPECT_EQ(d.saveTo.lstFileTypeSelected, 0);
}

TEST_F(SettingsDialog, SettingsIniHoldsTheListsAndTheLastSavePath)
{
    SettingsDialogState& d = dialog();
    context().dialogSettings.lstFileType = {{QStringLiteral("zip"), QStringLiteral("/z/")}};
    context().dialogSettings.lstLogin = {{QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("abc")}};
    d.logins.lstLogin.clear(); // an edit not stored yet stays out of the file
    context().dialogSettings.lastSavePath = QStringLiteral("/home/u/Downloads/a.zip");
    d.SaveToINI();
    EXPECT_EQ(home.readFile(QStringLiteral("home/Settings.ini")),
              QByteArray("/home/u/Downloads/a.zip\r\nzip\r\n/z/\r\nLogins:\r\nh\r\nu\r\nklm\r\n"));

    context().dialogSettings.lastSavePath = QStringLiteral("a.zip"); // no folder: the program folder stands in
    d.SaveToINI();
    EXPECT_TRUE(home.readFile(QStringLiteral("home/Settings.ini")).startsWith(home.programFolder().toUtf8() + "\r\n"));

    d.logins.lstLogin.clear();
    d.LoadfromINI();
    EXPECT_EQ(context().dialogSettings.lastSavePath, QString()) << "read back, the stand-in is no save path";
    EXPECT_EQ(d.logins.lstLogin.size(), 1);
    EXPECT_EQ(d.logins.lstLogin[0].password, QStringLiteral("abc"));

    QFile::remove(home.programFolder() + QStringLiteral("/Settings.ini"));
    context().dialogSettings.lastSavePath = QStringLiteral("/home/u/Downloads/a.zip");
    d.LoadfromINI();
    EXPECT_TRUE(d.logins.lstLogin.isEmpty() && d.saveTo.lstFileType.isEmpty());
    EXPECT_EQ(context().dialogSettings.lastSavePath, QStringLiteral("/home/u/Downloads/a.zip"))
        << "a missing file leaves the last save path";
}

} // namespace
