#include "settings/ui/frmSettings.h"

#include "core/Formatting.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsDialogState.h"
#include "support/CaptionHelpers.h"
#include "support/TestHome.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <map>
#include <string>

#include <gtest/gtest.h>

namespace {

class frmSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        window = frmSettings::showFor(*context, nullptr);
    }
    void TearDown() override { delete window.data(); }

    template <typename Widget> Widget* control(const char* name) const { return NamedChild<Widget>(*window, name); }
    QString stored(const char* name) const
    {
        return CRegister(context->registry)
            .REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey, QString::fromLatin1(name));
    }
    void type(const char* box, const QString& text)
    {
        auto* edit = control<QLineEdit>(box);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    TestHome home;
    KevaContext* context = nullptr;
    QPointer<frmSettings> window;
};

TEST_F(frmSettingsTest, ShowsEveryPageOfTheState)
{
    EXPECT_EQ(control<QTabWidget>("SSTab1")->count(), 10);
    EXPECT_EQ(control<QLineEdit>("txtTimeResume")->text(), QStringLiteral("5"));
    EXPECT_EQ(control<QLineEdit>("txtRollback")->text(), QStringLiteral("4"));
    EXPECT_EQ(control<QLineEdit>("txtSegment1")->text(), QStringLiteral("2"));
    EXPECT_EQ(control<QLineEdit>("txtLimitHTTP")->text(), QStringLiteral("3"));
    EXPECT_EQ(control<QLineEdit>("txtSpeedLimit")->text(), QStringLiteral("0"));
    EXPECT_TRUE(control<QCheckBox>("chkIE")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("chkDownloadPrompt")->isChecked());
    EXPECT_EQ(control<QLineEdit>("txtMonitorTypes")->text(), SettingsDefaults::kMonitorTypes);
    EXPECT_FALSE(control<QPushButton>("Command1")->isEnabled());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Settings"));
}

// Apply on an untouched dialog writes the boxes shown in minutes, kilobytes
// and megabytes back to the very texts they were read from, and the switches
// with the same meaning.
TEST_F(frmSettingsTest, ApplyWithoutChangesKeepsWhatTheBoxesShow)
{
    const char* const exact[] = {"TimeResume",   "TimeNoResume", "Rollback",     "SegmentSize1",
                                 "SegmentSize5", "SegmentSize9", "Timeout",      "RetryTime",
                                 "Retries",      "MonitorTypes", "MonitorServer"};
    std::map<std::string, QString> before;
    for (const char* name : exact)
        before[name] = stored(name);
    ASSERT_EQ(before["TimeResume"], QStringLiteral("300"));
    EXPECT_EQ(control<QLineEdit>("txtTimeResume")->text(), QStringLiteral("5"));

    control<QRadioButton>("chkDownloadPrompt")->click(); // a click that changes nothing enables Apply
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    for (const char* name : exact)
        EXPECT_EQ(stored(name), before[name]) << name;
    EXPECT_EQ(stored("DownloadPromptOption"), QStringLiteral("True")) << "stored as \"-1\" by the first run";
    EXPECT_EQ(stored("ClickCapture"), QStringLiteral("1"));
    EXPECT_EQ(control<QLineEdit>("txtTimeResume")->text(), QStringLiteral("5"));
}

// Passwords show as dots, in the list without their length; the box shows its
// text only while "Show" is held down.
TEST_F(frmSettingsTest, LoginPasswordsAreMaskedUntilShowIsHeld)
{
    type("txtLoginServer", QStringLiteral("ftp.example.org"));
    type("txtLoginUsername", QStringLiteral("anna"));
    type("txtLoginPassword", QStringLiteral("s3cret"));
    auto* password = control<QLineEdit>("txtLoginPassword");
    auto* show = control<QPushButton>("cmdLoginShow");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    QTest::mousePress(show, Qt::LeftButton);
    EXPECT_EQ(password->displayText(), QStringLiteral("s3cret"));
    QTest::mouseRelease(show, Qt::LeftButton);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_NE(password->displayText(), QStringLiteral("s3cret"));

    QTest::mouseClick(control<QPushButton>("cmdLoginAdd"), Qt::LeftButton);
    const auto* list = control<QTreeWidget>("lstLogin");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("anna"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QString(8, QChar(0x25CF)));
    EXPECT_EQ(context->settingsDialogState().logins.lstLogin.at(0).password, QStringLiteral("s3cret"));
}

TEST_F(frmSettingsTest, ASegmentBoundTypedInMegabytesIsAppliedInBytes)
{
    type("txtSegment1", QStringLiteral("3"));
    ASSERT_TRUE(control<QPushButton>("Command1")->isEnabled());
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(stored("SegmentSize1"), QStringLiteral("3145728"));
    EXPECT_EQ(context->appSettings.SegmentSize[1], 3145728);
    EXPECT_FALSE(control<QPushButton>("Command1")->isEnabled());
}

// A first run notifies and does nothing once all downloads have ended; the
// command box counts for the command only.
TEST_F(frmSettingsTest, WhenDoneChoicesAreAppliedToTheStoreAndTheRecord)
{
    auto* notify = control<QCheckBox>("chkNotifyWhenDone");
    auto* action = control<QComboBox>("cboAllDone");
    auto* command = control<QLineEdit>("txtAllDoneCommand");
    EXPECT_TRUE(notify->isChecked());
    EXPECT_EQ(action->currentText(), QStringLiteral("Do nothing"));
    EXPECT_FALSE(command->isEnabled());

    notify->click();
    action->setCurrentIndex(1);
    emit action->activated(1);
    EXPECT_TRUE(command->isEnabled());
    type("txtAllDoneCommand", QStringLiteral("notify-send done"));
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(stored("NotifyWhenDone"), QStringLiteral("0"));
    EXPECT_EQ(stored("AllDoneAction"), QStringLiteral("1"));
    EXPECT_EQ(stored("AllDoneCommand"), QStringLiteral("notify-send done"));
    EXPECT_FALSE(context->appSettings.NotifyWhenDone);
    EXPECT_EQ(context->appSettings.AllDoneAction, 1);
    EXPECT_EQ(context->appSettings.AllDoneCommand, QStringLiteral("notify-send done"));
}

TEST_F(frmSettingsTest, EachSaveOptionShowsItsOwnFrame)
{
    const std::pair<const char*, const char*> options[] = {{"optSameDir", "frameSameDir"},
                                                           {"optFileType", "frameFileType"},
                                                           {"optFileInfo", "frameFileInfo"},
                                                           {"optLastDir", "frameLastDir"}};
    for (const auto& [option, shownFrame] : options) {
        control<QRadioButton>(option)->click();
        for (const auto& [other, frame] : options)
            EXPECT_EQ(!control<QGroupBox>(frame)->isHidden(), std::string(frame) == shownFrame) << option;
    }
}

TEST_F(frmSettingsTest, AnAsteriskInTheFileTypesIsToldWhenTheBoxIsLeft)
{
    InstallShippedLanguageFile(home);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window)); // focus moves only in the active window
    control<QLineEdit>("txtMonitorTypes")->setFocus();
    type("txtMonitorTypes", QStringLiteral(".ZIP; *.EXE"));
    EXPECT_TRUE(home.prompter.shown.isEmpty()) << "not while typing";
    control<QLineEdit>("txtTestURL")->setFocus();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, context->text.GetText(QStringLiteral("11029")));
    EXPECT_EQ(home.prompter.shown[0].caption, home.prompter.shown[0].text);
    EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Critical);
    EXPECT_EQ(control<QLineEdit>("txtMonitorTypes")->text(), QStringLiteral(".ZIP; *.EXE")) << "the text stays";
}

TEST_F(frmSettingsTest, NoToAResetQuestionLeavesTheBox)
{
    const struct {
        const char* button;
        const char* box;
        QString defaults;
        bool enablesApply; // the server box has no change handling of its own
    } resets[] = {{"cmdMonitorTypesReset", "txtMonitorTypes", SettingsDefaults::kMonitorTypes, true},
                  {"cmdMonitorServerReset", "txtMonitorServer", SettingsDefaults::kMonitorServer, false}};
    for (const auto& reset : resets) {
        type(reset.box, QStringLiteral(".ISO;"));
        context->settingsDialogState().applyState.reset(); // as after an Apply
        home.prompter.script({Prompter::Answer::No});
        QTest::mouseClick(control<QPushButton>(reset.button), Qt::LeftButton);
        EXPECT_EQ(control<QLineEdit>(reset.box)->text(), QStringLiteral(".ISO;")) << reset.button;
        EXPECT_FALSE(control<QPushButton>("Command1")->isEnabled()) << reset.button;
        EXPECT_EQ(home.prompter.shown.last().buttons, Prompter::Buttons::YesNo);

        home.prompter.script({Prompter::Answer::Yes});
        QTest::mouseClick(control<QPushButton>(reset.button), Qt::LeftButton);
        EXPECT_EQ(control<QLineEdit>(reset.box)->text(), reset.defaults) << reset.button;
        EXPECT_EQ(control<QPushButton>("Command1")->isEnabled(), reset.enablesApply) << reset.button;
    }
}

TEST_F(frmSettingsTest, TheTestButtonTellsBothResultsForTheTypedUrl)
{
    InstallShippedLanguageFile(home);
    const TextLookup& text = context->text;
    const auto message = [&](const char* ignored, const char* monitored) {
        return text.GetText(QStringLiteral("11024")) + QStringLiteral("\n\n") + text.GetText(QStringLiteral("11025"))
            + QString::fromLatin1(ignored) + QLatin1Char('\n') + text.GetText(QStringLiteral("11026"))
            + QString::fromLatin1(monitored) + QStringLiteral("\n\n") + text.GetText(QStringLiteral("11027"));
    };
    const struct {
        const char* url;
        QString expected;
    } cases[] = {
        {"http://example.org/files/part.r01", message("False", "True")},
        {"http://example.org/files/SETUP.EXE", message("False", "False")},
    };
    for (const auto& c : cases) {
        home.prompter.shown.clear();
        type("txtTestURL", QString::fromLatin1(c.url));
        QTest::mouseClick(control<QPushButton>("Command6"), Qt::LeftButton);
        ASSERT_EQ(home.prompter.shown.size(), 1) << c.url;
        EXPECT_EQ(home.prompter.shown[0].text, c.expected) << c.url;
        EXPECT_EQ(home.prompter.shown[0].caption, text.GetText(QStringLiteral("11028")));
    }
}

TEST_F(frmSettingsTest, TheProxyBoxEnablesItsFrame)
{
    EXPECT_FALSE(control<QGroupBox>("frameProxy")->isEnabled());
    control<QCheckBox>("chkUseProxy")->click();
    EXPECT_TRUE(control<QGroupBox>("frameProxy")->isEnabled());
    EXPECT_TRUE(control<QLineEdit>("txtUserID")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("Command1")->isEnabled());
}

TEST_F(frmSettingsTest, TheRemoteControlBoxEnablesItsFieldsAndCopiesTheSecret)
{
    EXPECT_EQ(control<QLineEdit>("txtRpcPort")->text(), QStringLiteral("6800"));
    EXPECT_EQ(control<QLineEdit>("txtRpcAddress")->text(), QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(control<QLineEdit>("txtRpcPort")->isEnabled());
    control<QCheckBox>("chkRpc")->click();
    EXPECT_TRUE(control<QLineEdit>("txtRpcPort")->isEnabled());
    const QString secret = control<QLineEdit>("txtRpcSecret")->text();
    EXPECT_EQ(secret.size(), 32);
    control<QPushButton>("cmdRpcSecretCopy")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), secret);
    type("txtRpcOrigins", QStringLiteral("https://ui.example"));
    control<QPushButton>("Command1")->click();
    EXPECT_EQ(stored("RpcEnabled"), QStringLiteral("1"));
    EXPECT_EQ(stored("RpcSecret"), secret);
    EXPECT_EQ(context->appSettings.RpcAllowedOrigins, QStringLiteral("https://ui.example"));
}

TEST_F(frmSettingsTest, CancelLeavesTheStoredLimitsToOtherParts)
{
    type("txtLimitHTTP", QStringLiteral("9"));
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(context->dialogSettings.txtLimitHTTP, QStringLiteral("3"));
    EXPECT_EQ(stored("LimitHTTP"), QString());
    EXPECT_EQ(context->settingsDialogState().limits.txtLimitHTTP, QStringLiteral("3"));
}

TEST_F(frmSettingsTest, OkStoresAndCloses)
{
    type("txtLimitFTP", QStringLiteral("7"));
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    EXPECT_EQ(stored("LimitFTP"), QStringLiteral("7"));
    EXPECT_EQ(context->dialogSettings.txtLimitFTP, QStringLiteral("7"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

// Downloads finished after the values were read count when the dialog opens.
TEST_F(frmSettingsTest, TheInformationPageShowsTheCountersAsTheyStandNow)
{
    delete window.data();
    context->appSettings.Downloads = 1;
    context->appSettings.AllBytes = 20971520;
    window = frmSettings::showFor(*context, nullptr);
    EXPECT_EQ(control<QLabel>("lblDownloads")->text(), QStringLiteral("1"));
    EXPECT_EQ(control<QLabel>("lblBytes")->text(), FormatSize(20971520));
}

TEST_F(frmSettingsTest, TheStartBoxMakesAndRemovesTheAutostartEntry)
{
    const QString entry = home.configFolder() + QStringLiteral("/autostart/Quillspan.desktop");
    auto* box = control<QCheckBox>("chkStartWin");
    ASSERT_TRUE(box->isChecked()) << "the first run switches it on";
    EXPECT_TRUE(QFileInfo::exists(entry)) << "and makes the entry the box says";
    box->click();
    EXPECT_FALSE(QFileInfo::exists(entry));
    box->click();
    EXPECT_TRUE(QFileInfo::exists(entry));
    EXPECT_TRUE(home.readFile(QStringLiteral("config/autostart/Quillspan.desktop")).contains(" /STARTUP\n"));
    EXPECT_TRUE(control<QPushButton>("Command1")->isEnabled());
    box->click();
    EXPECT_FALSE(QFileInfo::exists(entry));
}

// The caption routine runs again when the dialog comes back from another
// window: a language text changed meanwhile shows, Apply is disabled again.
TEST_F(frmSettingsTest, ActivationTakesTheCaptionsAgainAndDisablesApply)
{
    QWidget mainWindow;
    mainWindow.show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    type("txtLimitFTP", QStringLiteral("7"));
    ASSERT_TRUE(control<QPushButton>("Command1")->isEnabled());
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n090000=Options\n090002=Take\n");

    mainWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Settings")) << "nothing changes while another window is active";
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(control<QPushButton>("Command1")->text(), QStringLiteral("Take"));
    EXPECT_FALSE(control<QPushButton>("Command1")->isEnabled());
    EXPECT_EQ(control<QLineEdit>("txtLimitFTP")->text(), QStringLiteral("7")) << "the edit stays";
}

TEST_F(frmSettingsTest, HelpAndTheSiteButtonOpenTheUserGuide)
{
    for (const char* button : {"Command4", "cmdVisitOurSite"}) {
        home.shell.opened.clear();
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
        EXPECT_EQ(home.shell.opened, QStringList {home.programFolder() + QStringLiteral("/help/UserGuide.html")})
            << button;
    }
}

class frmSettingsLanguages : public testing::TestWithParam<const char*> { };

TEST_P(frmSettingsLanguages, ShowTheShippedTexts)
{
    TestHome home;
    KevaContext& context = home.newContext();
    UseShippedLanguage(home, context, GetParam());
    LoadSettings(context, LoadReason::Startup);
    QPointer<frmSettings> window = frmSettings::showFor(context, nullptr);
    ExpectShippedLanguageTexts(*window, GetParam(),
                               {{"", "090000"},
                                {"Command1", "090002"},
                                {"Frame1", "090101"},
                                {"caption_090103", "090103"},
                                {"cmdVisitOurSite", "090116"},
                                {"Label42", "090605"},
                                {"caption_090612", "090612"},
                                {"lblSpeedLimit", "090616"},
                                {"lblSpeedLimitUnit", "090617"},
                                {"chkRpc", "090619"},
                                {"chkNotifyWhenDone", "090908"},
                                {"lblAllDoneCommand", "090914"},
                                {"chkSegment", "091001"}});
    const auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    EXPECT_EQ(tabs->tabText(3),
              TextLookup(TestHome::binFolder() + QStringLiteral("/Lang"),
                         QString::fromLatin1(GetParam()) + QStringLiteral(".ini"))
                  .GetText(QStringLiteral("090400")));
    delete window.data();
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmSettingsLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
