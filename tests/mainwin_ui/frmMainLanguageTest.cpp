#include "MainWindowFixture.h"

#include "mainwin/ui/JobListModel.h"
#include "settings/KevaContext.h"
#include "support/CaptionHelpers.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using View = JobViews::View;

// The main window's language picker and what a language changes.
class frmMainLanguageTest : public MainWindowFixture {
protected:
    QTreeView* list(View view) const { return window->listView(view); }
};

TEST_F(frmMainLanguageTest, ShippedEnglishCaptionsAfterLoad)
{
    state->Load();
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("exit_mnu")), QStringLiteral("E&xit"));
    EXPECT_EQ(window->findChild<QMenu*>(QStringLiteral("help_mnu"))->title(), QStringLiteral("&Help"));
    const auto* ComboLang = window->findChild<QComboBox*>(QStringLiteral("ComboLang"));
    EXPECT_EQ(ComboLang->currentText(), QStringLiteral("English"));
    EXPECT_FALSE(ComboLang->itemIcon(ComboLang->currentIndex()).isNull());
    EXPECT_TRUE(ComboLang->isEnabled());
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
}

// Choosing Arabic in the picker lays the window out right to left with the
// Arabic texts; choosing English lays it out left to right again.
TEST_F(frmMainLanguageTest, ArabicLaysTheWindowOutRightToLeftAndBack)
{
    home.writeFile(QStringLiteral("home/Lang/Arabic.ini"), QStringLiteral("[KEVA]\n01010=&ملف\n").toUtf8());
    QFile::copy(home.programFolder() + QStringLiteral("/Lang/English.bmp"),
                home.programFolder() + QStringLiteral("/Lang/Arabic.bmp"));
    state->Load();
    auto* ComboLang = window->findChild<QComboBox*>(QStringLiteral("ComboLang"));
    const auto choose = [ComboLang](const QString& language) {
        const int index = ComboLang->findText(language);
        ASSERT_GE(index, 0) << language.toStdString();
        ComboLang->setCurrentIndex(index);
        emit ComboLang->activated(index);
    };
    choose(QStringLiteral("Arabic"));
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(window->findChild<QMenu*>(QStringLiteral("file_mnu"))->title(), QStringLiteral("&ملف"));
    EXPECT_EQ(ComboLang->currentText(), QStringLiteral("Arabic"));
    choose(QStringLiteral("English"));
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(window->findChild<QMenu*>(QStringLiteral("file_mnu"))->title(), QStringLiteral("&File"));
}

// In a right-to-left window a path's leading "/" stays at its start, and "0 %"
// does not turn into "% 0": the path, address and amount columns draw their
// texts left to right.
TEST_F(frmMainLanguageTest, PathsAndAddressesReadLeftToRight)
{
    const QLocale locale;
    for (const View view : {View::Downloads, View::All}) {
        for (int column = 0; column < JobListModel::kColumns; ++column) {
            const auto* delegate = qobject_cast<QStyledItemDelegate*>(list(view)->itemDelegateForColumn(column));
            const bool leftToRight = column <= 3 || column == 5;
            ASSERT_EQ(delegate != nullptr, leftToRight) << column;
            if (leftToRight) {
                EXPECT_EQ(delegate->displayText(QStringLiteral("/home/user/a.pdf"), locale),
                          QStringLiteral("\u200E/home/user/a.pdf\u200E"));
            }
        }
    }
}

// Without pictures for every language the picker stays empty and the window
// keeps its built-in captions.
TEST_F(frmMainLanguageTest, TooFewPicturesLeaveThePickerEmpty)
{
    const QString folder = home.programFolder() + QStringLiteral("/Lang/");
    for (const QString& picture : QDir(folder).entryList({QStringLiteral("*.bmp")}, QDir::Files)) {
        if (picture != QStringLiteral("English.bmp"))
            QFile::remove(folder + picture);
    }
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n01010=T01010\n");
    home.writeFile(QStringLiteral("home/Lang/Arabic.ini"), "[KEVA]\n01010=T01010\n");
    state->Load();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    const auto* ComboLang = window->findChild<QComboBox*>(QStringLiteral("ComboLang"));
    EXPECT_EQ(ComboLang->count(), 0);
    EXPECT_FALSE(ComboLang->isEnabled());
    EXPECT_EQ(window->findChild<QMenu*>(QStringLiteral("file_mnu"))->title(), QStringLiteral("&File"));
}

// Each shipped language, chosen in the picker: the main window shows its
// texts, right to left for Arabic.
class frmMainLanguages : public frmMainLanguageTest, public testing::WithParamInterface<const char*> { };

TEST_P(frmMainLanguages, ShowTheShippedTexts)
{
    state->Load();
    auto* ComboLang = window->findChild<QComboBox*>(QStringLiteral("ComboLang"));
    const int index = ComboLang->findText(QString::fromLatin1(GetParam()));
    ASSERT_GE(index, 0);
    EXPECT_FALSE(ComboLang->itemIcon(index).isNull());
    ComboLang->setCurrentIndex(index);
    emit ComboLang->activated(index);
    ExpectShippedLanguageTexts(*window, GetParam(),
                               {{"file_mnu", "01010"},
                                {"Add_mnu", "01011"},
                                {"exit_mnu", "01012"},
                                {"downloads_mnu", "01020"},
                                {"stopall_mnu", "01024"},
                                {"settings_mnu", "01031"},
                                {"toolbar_AddUrl", "01001"},
                                {"toolbar_Help", "01087"},
                                {"Label1", "01002"},
                                {"clear_qmnu", "01092"},
                                {"removeselection_qmnu", "01096"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmMainLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
