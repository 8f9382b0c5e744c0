#include "intake/IntakeSession.h"
#include "site/SiteDownloadState.h"

#include "engine/DownloadWindows.h"
#include "platform/Registry.h"
#include "settings/KevaContext.h"
#include "site/SiteCrawl.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kKey = QStringLiteral("Software\\Quillspan Software\\KEVA 1.0");

class SiteDownloadStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        windows = std::make_unique<DownloadWindows>(*context, jobs);
        crawl = std::make_unique<SiteCrawl>(*context, intake, *windows);
        state = std::make_unique<SiteDownloadState>(*context, *crawl);
        state->openAddUrl = [this] { ++addUrlOpened; };
    }
    void store(const char* name, const char* value)
    {
        context->registry.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QString::fromLatin1(name),
                                     QString::fromLatin1(value));
    }
    std::optional<QString> stored(const char* name) const
    {
        return context->registry.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QString::fromLatin1(name));
    }

    TestHome home;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobList jobs;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<SiteCrawl> crawl;
    std::unique_ptr<SiteDownloadState> state;
    int addUrlOpened = 0;
};

TEST_F(SiteDownloadStateTest, ShowsTheDefaultsWhenNothingIsStored)
{
    state->showDialog();
    EXPECT_TRUE(state->visible);
    EXPECT_TRUE(state->chkTxt);
    EXPECT_FALSE(state->chkGif);
    EXPECT_FALSE(state->chkAll);
    EXPECT_TRUE(state->optNoLim);
    EXPECT_FALSE(state->optFiles);
    EXPECT_EQ(state->txtNum, QStringLiteral("10"));
    EXPECT_FALSE(state->chkCloseWindow);
    EXPECT_TRUE(state->chkTxtEnabled);
    EXPECT_TRUE(state->chkGifEnabled);
    EXPECT_FALSE(state->txtNumEnabled);
    // The language file's values are trimmed.
    EXPECT_EQ(state->caption(QStringLiteral("Frame2")), QStringLiteral("Number of files to dowload:"));
}

TEST_F(SiteDownloadStateTest, ShowsTheStoredChoicesWithTheirEnabling)
{
    store("FileTypeTxt", "0");
    store("FileTypeGif", "1");
    store("FileTypeAll", "1");
    store("FileNumNoLim", "0");
    store("FileNumNoFiles", "-1");
    store("FileNumNoNum", "25");
    store("CloseDownloadWindowWhenDone", "1");
    state->showDialog();
    EXPECT_FALSE(state->chkTxt);
    EXPECT_TRUE(state->chkGif);
    EXPECT_TRUE(state->chkAll);
    EXPECT_FALSE(state->optNoLim);
    EXPECT_TRUE(state->optFiles);
    EXPECT_EQ(state->txtNum, QStringLiteral("25"));
    EXPECT_TRUE(state->chkCloseWindow);
    EXPECT_FALSE(state->chkTxtEnabled);
    EXPECT_FALSE(state->chkGifEnabled);
    EXPECT_TRUE(state->txtNumEnabled);
    // Shown choices are the crawl's options from here on (Save).
    EXPECT_TRUE(crawl->options.FileTypeAll);
    EXPECT_EQ(crawl->options.pageLimit(), 25);
}

// What the number box does when it loses the focus.
struct NumberCase {
    const char* name;
    const char* typed;
    const char* message; // empty for none
    const char* shown;   // the box's text afterwards
};

class SiteDownloadNumber : public SiteDownloadStateTest, public testing::WithParamInterface<NumberCase> { };

TEST_P(SiteDownloadNumber, IsCheckedOnLeavingTheBox)
{
    const NumberCase& c = GetParam();
    state->showDialog();
    state->optFiles_Click();
    state->setNumber(QString::fromUtf8(c.typed));
    EXPECT_EQ(state->txtNum_LostFocus(), !*c.message);
    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Incorrect Value"));
        EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Exclamation);
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
    }
    EXPECT_EQ(state->txtNum, QString::fromUtf8(c.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SiteDownloadNumber,
    testing::Values(NumberCase {"Zero", "0", "Enter an integer between 1 and 99", "0"},
                    NumberCase {"Hundred", "100", "Enter an integer between 1 and 99", "100"},
                    NumberCase {"JustAboveTheTop", "99.4", "Enter an integer between 1 and 99", "99.4"},
                    NumberCase {"Negative", "-3", "Enter an integer between 1 and 99", "-3"},
                    NumberCase {"Letter", "a", "Enter Numeric Value", "a"},
                    NumberCase {"Empty", "", "Enter Numeric Value", ""}, NumberCase {"One", "1", "", "1"},
                    NumberCase {"NinetyNine", "99", "", "99"}, NumberCase {"Blanks", " 7 ", "", "7"},
                    NumberCase {"Fraction", "12.6", "", "13"}, NumberCase {"HalfGoesToEven", "2.5", "", "2"}),
    CaseName());

TEST_F(SiteDownloadStateTest, NextStoresTheChoicesAndOpensTheAddUrlDialogInSiteMode)
{
    QSignalSpy closed(state.get(), &SiteDownloadState::closed);
    state->showDialog();
    state->setGif(true);
    state->optFiles_Click();
    state->setNumber(QStringLiteral("3"));
    state->setCloseWindow(true);
    state->cmdNext();
    const std::pair<const char*, const char*> expected[] = {
        {"FileTypeTxt", "1"},
        {"FileTypeGif", "1"},
        {"FileTypeAll", "0"},
        {"FileNumNoLim", "0"},
        {"FileNumNoFiles", "-1"},
        {"FileNumNoNum", "3"},
        {"CloseDownloadWindowWhenDone", "1"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(stored(name), QString::fromLatin1(value)) << name;
    EXPECT_TRUE(intake.siteDownloadRunning());
    EXPECT_TRUE(context->appSettings.CloseDownloadWindowWhenDone);
    EXPECT_TRUE(crawl->options.FileTypeGif);
    EXPECT_EQ(crawl->options.pageLimit(), 3);
    EXPECT_EQ(addUrlOpened, 1);
    EXPECT_FALSE(state->visible);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(SiteDownloadStateTest, NextWithABadNumberStaysAndStoresNothing)
{
    state->showDialog();
    state->optFiles_Click();
    state->setNumber(QStringLiteral("0"));
    state->cmdNext();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("Enter an integer between 1 and 99"));
    EXPECT_FALSE(stored("FileTypeTxt").has_value());
    EXPECT_FALSE(intake.siteDownloadRunning());
    EXPECT_EQ(addUrlOpened, 0);
    EXPECT_TRUE(state->visible);
}

TEST_F(SiteDownloadStateTest, ABadNumberWithoutTheLimitIsNotChecked)
{
    state->showDialog();
    state->optFiles_Click();
    state->setNumber(QStringLiteral("x"));
    state->optNoLim_Click();
    state->cmdNext();
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_EQ(stored("FileNumNoNum"), QStringLiteral("x"));
    EXPECT_EQ(crawl->options.pageLimit(), 0);
}

TEST_F(SiteDownloadStateTest, CancelStoresNothingAndLeavesTheModeOff)
{
    QSignalSpy closed(state.get(), &SiteDownloadState::closed);
    state->showDialog();
    state->chkAll_Click(true);
    state->cmdCancel();
    EXPECT_FALSE(stored("FileTypeAll").has_value());
    EXPECT_FALSE(intake.siteDownloadRunning());
    EXPECT_EQ(addUrlOpened, 0);
    EXPECT_EQ(closed.count(), 1);
}

} // namespace
