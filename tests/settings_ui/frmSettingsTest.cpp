#include "settings/ui/frmSettings.h"

#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsDialogState.h"
#include "support/CaptionHelpers.h"
#include "support/TestHome.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

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

    template <typename Widget>
    Widget* control(const char* name) const
    {
        return NamedChild<Widget>(*window, name);
    }
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

TEST_F(frmSettingsTest, ASegmentBoundTypedInMegabytesIsAppliedInBytes)
{
    type("txtSegment1", QStringLiteral("3"));
    ASSERT_TRUE(control<QPushButton>("Command1")->isEnabled());
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(stored("SegmentSize1"), QStringLiteral("3145728"));
    EXPECT_EQ(context->appSettings.SegmentSize[1], 3145728);
    EXPECT_FALSE(control<QPushButton>("Command1")->isEnabled());
}

TEST_F(frmSettingsTest, EachSaveOptionShowsItsOwnFrame)
{
    const std::pair<const char*, const char*> options[] = {
        {"optSameDir", "frameSameDir"}, {"optFileType", "frameFileType"},
        {"optFileInfo", "frameFileInfo"}, {"optLastDir", "frameLastDir"}};
    for (const auto& [option, shownFrame] : options) {
        control<QRadioButton>(option)->click();
        for (const auto& [other, frame] : options)
            EXPECT_EQ(!control<QGroupBox>(frame)->isHidden(), std::string(frame) == shownFrame) << option;
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

TEST_F(frmSettingsTest, CancelLeavesTheStoredLimitsToOtherParts)
{
    type("txtLimitHTTP", QStringLiteral("9"));
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(context->dialogSettings.txtLimitHTTP, QStringLiteral("3"));
    EXPECT_EQ(stored("LimitHTTP"), QString());
    EXPECT_EQ(context->frmSettings().limits.txtLimitHTTP, QStringLiteral("3"));
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

TEST_F(frmSettingsTest, HelpOpensTheUserGuide)
{
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    ASSERT_FALSE(home.shell.opened.isEmpty());
    EXPECT_EQ(home.shell.opened.last(), home.programFolder() + QStringLiteral("/help/UserGuide.html"));
}

} // namespace
