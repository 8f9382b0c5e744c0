#include "engine/ui/frmServerData.h"

#include "settings/KevaContext.h"
#include "support/CaptionCase.h"
#include "support/CaptionHelpers.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kLog = QStringLiteral("\r\nHTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-999/1000\r\n\r\n");
// The text box shows and copies the log with the line ends of the desktop.
const QString kShown = QString(kLog).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

TEST(frmServerData, ShowsTheLogReadOnly)
{
    TestHome home;
    const frmServerData window(home.newContext().text, kLog);
    const auto* text = window.findChild<QPlainTextEdit*>(QStringLiteral("txtServerData"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), kShown);
    EXPECT_TRUE(text->isReadOnly());
}

TEST(frmServerData, CopyPutsTheLogOnTheClipboard)
{
    TestHome home;
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    frmServerData window(home.newContext().text, kLog);
    window.findChild<QAbstractButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), kShown);
}

TEST(frmServerData, ExitClosesAndDeletesTheWindow)
{
    TestHome home;
    QPointer<frmServerData> window = new frmServerData(home.newContext().text, kLog);
    window->show();
    window->findChild<QAbstractButton*>(QStringLiteral("Command2"))->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
}

const CaptionCase kServerDataCaptions[] = {
    {"Window", "08000", "", "Server Interaction Info"},
    {"Banner", "08001", "asxPowerBanner1", "Server Interaction Info"},
    {"Command1", "08002", "Command1", "&Copy to Clipboard"},
    {"Command2", "08003", "Command2", "E&xit"},
};

class frmServerDataCaptions : public testing::TestWithParam<CaptionCase> { };

TEST_P(frmServerDataCaptions, ShowTheTextOfTheirKey)
{
    TestHome home;
    WriteNumberedLanguageFile(home, CaptionCase::keys(kServerDataCaptions));
    const frmServerData window(home.newContext().text, kLog);
    EXPECT_EQ(ShownCaption(window, QString::fromLatin1(GetParam().control)), GetParam().numbered());
}

TEST_P(frmServerDataCaptions, ShowTheShippedEnglishText)
{
    TestHome home;
    InstallShippedLanguageFile(home);
    const frmServerData window(home.newContext().text, kLog);
    EXPECT_EQ(ShownCaption(window, QString::fromLatin1(GetParam().control)), QString::fromUtf8(GetParam().english));
}

INSTANTIATE_TEST_SUITE_P(Controls, frmServerDataCaptions, testing::ValuesIn(kServerDataCaptions), CaseName());

class frmServerDataLanguages : public testing::TestWithParam<const char*> { };

TEST_P(frmServerDataLanguages, ShowTheShippedTexts)
{
    TestHome home;
    KevaContext& context = home.newContext();
    UseShippedLanguage(home, context, GetParam());
    const frmServerData window(context.text, kLog);
    ExpectShippedLanguageTexts(
        window, GetParam(),
        {{"", "08000"}, {"asxPowerBanner1", "08001"}, {"Command1", "08002"}, {"Command2", "08003"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmServerDataLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
