#include "intake/ui/frmExist.h"

#include "settings/KevaContext.h"
#include "support/CaptionCase.h"
#include "support/CaptionHelpers.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `act` on the dialog once it is shown, then returns its answer.
FileExistsChoice askAndThen(const KevaContext& context, const std::function<void(frmExist&)>& act)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmExist*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        act(*dialog);
    });
    const FileExistsChoice answer = frmExist::ask(context.text);
    EXPECT_TRUE(seen) << "the dialog was not shown modally";
    return answer;
}

struct ButtonCase {
    const char* name;
    const char* button;
    FileExistsChoice answer;
};

class frmExistButtons : public testing::TestWithParam<ButtonCase> { };

TEST_P(frmExistButtons, AnswerWithTheirChoice)
{
    TestHome home;
    const FileExistsChoice answer = askAndThen(home.newContext(), [](frmExist& dialog) {
        dialog.findChild<QAbstractButton*>(QString::fromLatin1(GetParam().button))->click();
    });
    EXPECT_EQ(answer, GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Buttons, frmExistButtons,
                         testing::Values(ButtonCase {"Overwrite", "cmdOverwrite", FileExistsChoice::Overwrite},
                                         ButtonCase {"Resume", "cmdResume", FileExistsChoice::Resume},
                                         ButtonCase {"Cancel", "Command3", FileExistsChoice::Keep}),
                         CaseName());

TEST(frmExist, ClosingWithoutAChoiceCancels)
{
    TestHome home;
    EXPECT_EQ(askAndThen(home.newContext(), [](frmExist& dialog) { dialog.close(); }), FileExistsChoice::Keep);
}

const CaptionCase kCaptions[] = {
    {"Window", "05000", "", "File Already Exists!?"},
    {"Banner", "05001", "asxPowerBanner1", "File Exists"},
    {"Label1", "05002", "Label1", "The file already exists at this location!  What would you like to do?"},
    {"cmdOverwrite", "05003", "cmdOverwrite", "&Overwrite File"},
    {"cmdResume", "04013", "cmdResume", "&Resume"},
    {"Command3", "05004", "Command3", "&Cancel"},
};

class frmExistCaptions : public testing::TestWithParam<CaptionCase> { };

TEST_P(frmExistCaptions, ShowTheTextOfTheirKey)
{
    TestHome home;
    WriteNumberedLanguageFile(home, CaptionCase::keys(kCaptions));
    const frmExist dialog(home.newContext().text);
    EXPECT_EQ(ShownCaption(dialog, QString::fromLatin1(GetParam().control)), GetParam().numbered());
}

TEST_P(frmExistCaptions, ShowTheShippedEnglishText)
{
    TestHome home;
    InstallShippedLanguageFile(home);
    const frmExist dialog(home.newContext().text);
    EXPECT_EQ(ShownCaption(dialog, QString::fromLatin1(GetParam().control)), QString::fromUtf8(GetParam().english));
}

// Once the language list could not be built, the language files are off:
// every caption is the built-in one.
TEST_P(frmExistCaptions, KeepTheBuiltInTextWhenTheLanguageFilesAreOff)
{
    TestHome home;
    WriteNumberedLanguageFile(home, CaptionCase::keys(kCaptions));
    KevaContext& context = home.newContext();
    context.text.setLanguagePackUnavailable();
    const frmExist dialog(context.text);
    EXPECT_EQ(ShownCaption(dialog, QString::fromLatin1(GetParam().control)), QString::fromUtf8(GetParam().english));
}

INSTANTIATE_TEST_SUITE_P(Controls, frmExistCaptions, testing::ValuesIn(kCaptions), CaseName());

TEST(frmExist, ArabicLaysTheDialogOutRightToLeft)
{
    TestHome home;
    KevaContext& context = home.newContext();
    context.text.setLanguageFile(QStringLiteral("Arabic.ini"));
    EXPECT_EQ(frmExist(context.text).layoutDirection(), Qt::RightToLeft);
}

class frmExistLanguages : public testing::TestWithParam<const char*> { };

TEST_P(frmExistLanguages, ShowTheShippedTexts)
{
    TestHome home;
    KevaContext& context = home.newContext();
    UseShippedLanguage(home, context, GetParam());
    const frmExist dialog(context.text);
    ExpectShippedLanguageTexts(dialog, GetParam(),
                               {{"", "05000"},
                                {"asxPowerBanner1", "05001"},
                                {"Label1", "05002"},
                                {"cmdOverwrite", "05003"},
                                {"cmdResume", "04013"},
                                {"Command3", "05004"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmExistLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
