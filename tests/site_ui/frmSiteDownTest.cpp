#include "intake/IntakeSession.h"
#include "site/ui/frmSiteDown.h"

#include "engine/DownloadWindows.h"
#include "platform/Registry.h"
#include "settings/KevaContext.h"
#include "site/SiteCrawl.h"
#include "site/SiteDownloadState.h"

#include "support/CaptionHelpers.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kKey = QStringLiteral("Software\\Quillspan Software\\KEVA 1.0");

class frmSiteDownTest : public testing::Test {
protected:
    void SetUp() override { makeState(); }
    void TearDown() override { delete window.data(); }

    void makeState()
    {
        context = &home.newContext();
        windows = std::make_unique<DownloadWindows>(*context, jobs);
        crawl = std::make_unique<SiteCrawl>(*context, intake, *windows);
        state = std::make_unique<SiteDownloadState>(*context, *crawl);
        state->openAddUrl = [this] { ++addUrlOpened; };
    }
    void open() { window = frmSiteDown::showFor(*context, *state, nullptr); }
    template <typename Widget> Widget* control(const char* name) const { return NamedChild<Widget>(*window, name); }
    void click(const char* name) const { control<QAbstractButton>(name)->click(); }
    // Types into the number box and leaves it, as the user does.
    void typeNumber(const QString& text) const
    {
        QLineEdit* box = control<QLineEdit>("txtNum");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        emit box->editingFinished();
    }

    TestHome home;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobList jobs;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<SiteCrawl> crawl;
    std::unique_ptr<SiteDownloadState> state;
    QPointer<frmSiteDown> window;
    int addUrlOpened = 0;
};

TEST_F(frmSiteDownTest, ShowsEveryCaptionByItsKey)
{
    QStringList keys;
    for (int key = 12000; key <= 12010; ++key)
        keys << QString::number(key);
    keys << QStringLiteral("05004");
    WriteNumberedLanguageFile(home, keys);
    makeState();
    open();
    const std::pair<const char*, const char*> expected[] = {
        {"", "T12000"},         {"Frame1", "T12001"},    {"chkTxt", "T12002"},
        {"chkGif", "T12003"},   {"chkAll", "T12004"},    {"Frame2", "T12005"},
        {"optNoLim", "T12006"}, {"Label1", "T12007"},    {"chkCloseWindow", "T12008"},
        {"cmdNext", "T12009"},  {"cmdCancel", "T05004"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(ShownCaption(*window, QString::fromLatin1(name)), QString::fromLatin1(text)) << name;
}

TEST_F(frmSiteDownTest, ShowsTheShippedEnglishTexts)
{
    InstallShippedLanguageFile(home);
    makeState();
    open();
    EXPECT_EQ(ShownCaption(*window, QString()), QStringLiteral("Site Downloader"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Frame2")), QStringLiteral("Number of files to dowload:"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("chkTxt")), QStringLiteral("Text/ HTM/ HTML"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("cmdNext")), QStringLiteral("&Next"));
    EXPECT_EQ(window->windowModality(), Qt::WindowModal);
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
}

TEST_F(frmSiteDownTest, ArabicLaysTheDialogOutRightToLeft)
{
    context->text.setLanguageFile(QStringLiteral("Arabic.ini"));
    open();
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
}

TEST_F(frmSiteDownTest, ShowsTheStoredChoices)
{
    for (const auto& [name, value] : {std::pair {"FileTypeTxt", "0"},
                                      {"FileTypeGif", "1"},
                                      {"FileNumNoLim", "0"},
                                      {"FileNumNoFiles", "-1"},
                                      {"FileNumNoNum", "42"}})
        context->registry.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QString::fromLatin1(name),
                                     QString::fromLatin1(value));
    open();
    EXPECT_FALSE(control<QCheckBox>("chkTxt")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("chkGif")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("optFiles")->isChecked());
    EXPECT_EQ(control<QLineEdit>("txtNum")->text(), QStringLiteral("42"));
    EXPECT_TRUE(control<QLineEdit>("txtNum")->isEnabled());
}

// Clicks that switch controls on and off.
struct EnablingCase {
    const char* name;
    std::vector<const char*> clicks;
    bool typesEnabled;  // chkTxt and chkGif
    bool numberEnabled; // txtNum and Label1
};

class frmSiteDownEnabling : public frmSiteDownTest, public testing::WithParamInterface<EnablingCase> { };

TEST_P(frmSiteDownEnabling, FollowsTheClicks)
{
    open();
    for (const char* name : GetParam().clicks)
        click(name);
    for (const char* name : {"chkTxt", "chkGif"})
        EXPECT_EQ(control<QWidget>(name)->isEnabled(), GetParam().typesEnabled) << name;
    for (const char* name : {"txtNum", "Label1"})
        EXPECT_EQ(control<QWidget>(name)->isEnabled(), GetParam().numberEnabled) << name;
}

INSTANTIATE_TEST_SUITE_P(Cases, frmSiteDownEnabling,
                         testing::Values(EnablingCase {"AsLoaded", {}, true, false},
                                         EnablingCase {"AllFilesDisablesTheTypes", {"chkAll"}, false, false},
                                         EnablingCase {"AllFilesClearedEnablesThem", {"chkAll", "chkAll"}, true, false},
                                         EnablingCase {"LimitEnablesTheNumber", {"optFiles"}, true, true},
                                         EnablingCase {
                                             "NoLimitDisablesItAgain", {"optFiles", "optNoLim"}, true, false}),
                         CaseName());

// The number box, left with what the user typed.
struct NumberCase {
    const char* name;
    const char* typed;
    const char* message;
};

class frmSiteDownNumber : public frmSiteDownTest, public testing::WithParamInterface<NumberCase> { };

TEST_P(frmSiteDownNumber, RefusesWhatIsNoWholeNumberFrom1To99)
{
    open();
    click("optFiles");
    typeNumber(QString::fromUtf8(GetParam().typed));
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QString::fromUtf8(GetParam().message));
    EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Incorrect Value"));
}

INSTANTIATE_TEST_SUITE_P(Cases, frmSiteDownNumber,
                         testing::Values(NumberCase {"Zero", "0", "Enter an integer between 1 and 99"},
                                         NumberCase {"Hundred", "100", "Enter an integer between 1 and 99"},
                                         NumberCase {"Letter", "a", "Enter Numeric Value"}),
                         CaseName());

TEST_F(frmSiteDownTest, AFractionIsShownAsAWholeNumber)
{
    open();
    click("optFiles");
    typeNumber(QStringLiteral("7.8"));
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_EQ(control<QLineEdit>("txtNum")->text(), QStringLiteral("8"));
}

TEST_F(frmSiteDownTest, NextClosesTheDialogAndOpensTheAddUrlDialog)
{
    open();
    click("chkAll");
    click("cmdNext");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(addUrlOpened, 1);
    EXPECT_TRUE(intake.siteDownloadRunning());
    EXPECT_TRUE(crawl->options.FileTypeAll);
}

TEST_F(frmSiteDownTest, EscapeCancels)
{
    open();
    QTest::keyClick(window.data(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(addUrlOpened, 0);
    EXPECT_FALSE(intake.siteDownloadRunning());
}

class frmSiteDownLanguages : public frmSiteDownTest, public testing::WithParamInterface<const char*> { };

TEST_P(frmSiteDownLanguages, ShowTheShippedTexts)
{
    UseShippedLanguage(home, *context, GetParam());
    open();
    ExpectShippedLanguageTexts(
        *window, GetParam(),
        {{"", "12000"}, {"Frame2", "12005"}, {"chkTxt", "12002"}, {"cmdNext", "12009"}, {"cmdCancel", "05004"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmSiteDownLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
