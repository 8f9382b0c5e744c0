#include "mainwin/ui/frmAbout.h"

#include "mainwin/AboutState.h"
#include "settings/KevaContext.h"

#include "support/CaptionHelpers.h"
#include "support/TestHome.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class frmAboutTest : public testing::Test {
protected:
    void open()
    {
        context = &home.newContext();
        state = std::make_unique<AboutState>(*context, [](const QString&) { return QString(); });
        window = frmAbout::showFor(*state, nullptr);
    }
    void TearDown() override { delete window.data(); }

    TestHome home;
    KevaContext* context = nullptr;
    std::unique_ptr<AboutState> state;
    QPointer<frmAbout> window;
};

TEST_F(frmAboutTest, ShowsEveryTextByItsKeyWithTheVersionAndTheFolder)
{
    WriteNumberedLanguageFile(home,
                              {QStringLiteral("02001"), QStringLiteral("02002"), QStringLiteral("02003"),
                               QStringLiteral("02004"), QStringLiteral("02005"), QStringLiteral("02006"),
                               QStringLiteral("02007"), QStringLiteral("02008")});
    open();
    const std::pair<const char*, const char*> expected[] = {
        {"", "T02001"},
        {"lblTitle", "T02002"},
        {"lblVersionCaption", "T02003"},
        {"lblDescription", "T02004"},
        {"lblLocationCaption", "T02005"},
        {"cmdOK", "T02006"},
        {"cmdSysInfo", "T02007"},
        {"lblDisclaimer", "T02008"},
        {"lblVersion", "1.0"},
    };
    for (const auto& [control, text] : expected)
        EXPECT_EQ(ShownCaption(*window, QString::fromLatin1(control)), QString::fromLatin1(text)) << control;
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("lblLocation")), home.programFolder());
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
    EXPECT_FALSE(window->isModal()) << "the main window stays usable";
}

TEST_F(frmAboutTest, ArabicIsLaidOutRightToLeft)
{
    home.writeFile(QStringLiteral("home/Lang/Arabic.ini"), "[KEVA]\n02001=Arabic about\n");
    context = &home.newContext();
    context->text.setLanguageFile(QStringLiteral("Arabic.ini"));
    state = std::make_unique<AboutState>(*context);
    window = frmAbout::showFor(*state, nullptr);
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Arabic about"));
}

TEST_F(frmAboutTest, ActivationTakesTheCaptionsAgain)
{
    open();
    QWidget mainWindow;
    mainWindow.show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n02001=About this program\n");
    mainWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("About this program"));
}

TEST_F(frmAboutTest, TheButtonsCloseItOrAskForSystemInformation)
{
    InstallShippedLanguageFile(home);
    open();
    EXPECT_EQ(frmAbout::showFor(*state, nullptr), window.data()) << "one about box at a time";
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    ASSERT_EQ(home.prompter.shown.size(), 1) << "no system-information program here";
    EXPECT_TRUE(home.prompter.shown[0].text.startsWith(QStringLiteral("No program that shows the system information")));
    EXPECT_TRUE(window->isVisible());

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

class frmAboutLanguages : public frmAboutTest, public testing::WithParamInterface<const char*> { };

TEST_P(frmAboutLanguages, ShowTheShippedTexts)
{
    context = &home.newContext();
    UseShippedLanguage(home, *context, GetParam());
    state = std::make_unique<AboutState>(*context, [](const QString&) { return QString(); });
    window = frmAbout::showFor(*state, nullptr);
    ExpectShippedLanguageTexts(*window, GetParam(),
                               {{"", "02001"},
                                {"lblVersionCaption", "02003"},
                                {"lblDescription", "02004"},
                                {"lblLocationCaption", "02005"},
                                {"cmdSysInfo", "02007"},
                                {"lblDisclaimer", "02008"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmAboutLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
