#include "uiutil/frmDir.h"

#include "settings/FolderChooserState.h"
#include "settings/KevaContext.h"
#include "support/CaptionHelpers.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// What the user does in the shown chooser. Folder names are below the test's
// root; "~" stands for the home folder.
struct Step {
    enum Action { Select, Type, PickPlace } action;
    const char* what;
};

struct Use {
    std::vector<Step> steps;
    const char* button; // "Command1", "Command2" or "Escape"
    const char* result; // "" for empty, "~" for the home folder
};

struct ChooseCase {
    const char* name;
    std::vector<Use> uses;
};

class frmDirChoose : public testing::TestWithParam<ChooseCase> {
protected:
    QString expand(const char* text) const
    {
        const QString value = QString::fromUtf8(text);
        if (value == QStringLiteral("~"))
            return QDir::homePath();
        return value.startsWith(QLatin1Char('/')) || value.isEmpty() ? value : home.path(value);
    }

    void act(frmDir& dialog, const Use& use) const
    {
        auto* lstDir = dialog.findChild<QTreeView*>(QStringLiteral("lstDir"));
        auto* folders = qobject_cast<QFileSystemModel*>(lstDir->model());
        auto* lstDrive = dialog.findChild<QComboBox*>(QStringLiteral("lstDrive"));
        auto* txtPath = dialog.findChild<QLineEdit*>(QStringLiteral("txtPath"));
        for (const Step& step : use.steps) {
            switch (step.action) {
            case Step::Select:
                lstDir->setCurrentIndex(folders->index(expand(step.what)));
                EXPECT_EQ(txtPath->text(), expand(step.what)) << "the path follows the tree";
                break;
            case Step::Type:
                txtPath->selectAll();
                QTest::keyClicks(txtPath, expand(step.what));
                break;
            case Step::PickPlace: {
                const int place = lstDrive->findText(expand(step.what));
                ASSERT_GE(place, 0);
                lstDrive->setCurrentIndex(place);
                emit lstDrive->textActivated(lstDrive->currentText());
                EXPECT_EQ(folders->filePath(lstDir->currentIndex()), expand(step.what))
                    << "the tree follows the selector";
                break;
            }
            }
        }
        if (QString::fromLatin1(use.button) == QStringLiteral("Escape"))
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.findChild<QPushButton*>(QString::fromLatin1(use.button))->click();
    }

    TestHome home;
};

TEST_P(frmDirChoose, ReturnsTheChosenFolderOrKeepsTheLastOne)
{
    for (const char* folder : {"a/deeper", "b"})
        ASSERT_TRUE(QDir().mkpath(home.path(QString::fromLatin1(folder))));
    KevaContext& context = home.newContext();
    FolderChooserState state(context.prompter, context.text);
    frmDir dialog(context.text, state);

    for (const Use& use : GetParam().uses) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget() == &dialog;
            act(dialog, use);
        });
        const QString chosen = dialog.choose();
        EXPECT_TRUE(shown) << "the chooser is modal";
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(chosen, expand(use.result));
        EXPECT_EQ(state.result(), expand(use.result));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, frmDirChoose,
    testing::Values(
        ChooseCase {"FirstCancelIsEmpty", {{{}, "Command2", ""}}},
        ChooseCase {"FirstEscapeIsEmpty", {{{{Step::Select, "b"}}, "Escape", ""}}},
        ChooseCase {"SelectedFolder", {{{{Step::Select, "a/deeper"}}, "Command1", "a/deeper"}}},
        ChooseCase {"TypedFolder",
                    {{{{Step::Select, "b"}, {Step::Type, "/no/such/folder"}}, "Command1", "/no/such/folder"}}},
        ChooseCase {"PlaceFromTheSelector", {{{{Step::Select, "b"}, {Step::PickPlace, "~"}}, "Command1", "~"}}},
        ChooseCase {"CancelKeepsTheLastResult",
                    {{{{Step::Select, "a"}}, "Command1", "a"}, {{{Step::Select, "b"}}, "Command2", "a"}}},
        ChooseCase {"NextOkReplacesIt",
                    {{{{Step::Select, "a"}}, "Command1", "a"}, {{{Step::Select, "b"}}, "Command1", "b"}}},
        ChooseCase {"ReopensWhereItWasLeft", {{{{Step::Select, "b"}}, "Command2", ""}, {{}, "Command1", "b"}}}),
    CaseName());

TEST(frmDir, SelectorShowsThePlaceOfTheSelectedFolder)
{
    TestHome home;
    KevaContext& context = home.newContext();
    FolderChooserState state(context.prompter, context.text);
    frmDir dialog(context.text, state);
    auto* lstDir = dialog.findChild<QTreeView*>(QStringLiteral("lstDir"));
    auto* folders = qobject_cast<QFileSystemModel*>(lstDir->model());
    auto* lstDrive = dialog.findChild<QComboBox*>(QStringLiteral("lstDrive"));

    EXPECT_EQ(lstDrive->currentText(), QDir::homePath()) << "it starts in the home folder";
    lstDir->setCurrentIndex(folders->index(QDir::rootPath()));
    EXPECT_EQ(lstDrive->currentText(), QDir::rootPath());
    const QString belowHome = QDir(QDir::homePath()).absolutePath();
    lstDir->setCurrentIndex(folders->index(belowHome));
    EXPECT_EQ(lstDrive->currentText(), QDir::homePath());
}

// The toolbar over the folder tree: its buttons run the chooser's commands,
// and the tree, the path and the selector follow where they lead.
class frmDirToolbar : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"a/deeper", "b"})
            ASSERT_TRUE(QDir().mkpath(home.path(QString::fromLatin1(folder))));
        context = &home.newContext();
        state = std::make_unique<FolderChooserState>(context->prompter, context->text);
        dialog = std::make_unique<frmDir>(context->text, *state);
        state->open();
        lstDir = dialog->findChild<QTreeView*>(QStringLiteral("lstDir"));
        folders = qobject_cast<QFileSystemModel*>(lstDir->model());
        txtPath = dialog->findChild<QLineEdit*>(QStringLiteral("txtPath"));
    }

    QAction* button(const char* name) const
    {
        auto* toolbar = dialog->findChild<QToolBar*>(QStringLiteral("asxToolbar1"));
        return toolbar ? toolbar->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
    }
    // Presses a toolbar button; a missing one fails the test instead of crashing it.
    void press(const char* name) const
    {
        QAction* action = button(name);
        if (!action) {
            ADD_FAILURE() << "no button " << name;
            return;
        }
        action->trigger();
    }
    bool enabled(const char* name) const
    {
        QAction* action = button(name);
        return action && action->isEnabled();
    }
    void select(const QString& path) const { lstDir->setCurrentIndex(folders->index(path)); }
    QString treeFolder() const { return folders->filePath(lstDir->currentIndex()); }

    TestHome home;
    KevaContext* context = nullptr;
    std::unique_ptr<FolderChooserState> state;
    std::unique_ptr<frmDir> dialog;
    QTreeView* lstDir = nullptr;
    QFileSystemModel* folders = nullptr;
    QLineEdit* txtPath = nullptr;
};

TEST_F(frmDirToolbar, HasItsButtons)
{
    auto* toolbar = dialog->findChild<QToolBar*>(QStringLiteral("asxToolbar1"));
    ASSERT_NE(toolbar, nullptr);
    const struct {
        const char* name;
        const char* text;
    } buttons[] = {{"UpOneLevel", "Up One Level"}, {"NewFolder", "New Folder"}};
    for (const auto& [name, text] : buttons) {
        QAction* action = button(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_TRUE(toolbar->actions().contains(action)) << name;
        EXPECT_EQ(action->toolTip(), QString::fromLatin1(text));
    }
}

TEST_F(frmDirToolbar, UpMovesTheTreeToTheParentFolder)
{
    select(home.path(QStringLiteral("a/deeper")));
    press("UpOneLevel");
    EXPECT_EQ(treeFolder(), home.path(QStringLiteral("a")));
    EXPECT_EQ(txtPath->text(), home.path(QStringLiteral("a")));
    EXPECT_EQ(state->txtPath, home.path(QStringLiteral("a")));

    select(QDir::rootPath());
    EXPECT_FALSE(enabled("UpOneLevel")) << "nothing above the root";
    txtPath->selectAll();
    QTest::keyClicks(txtPath, home.path(QStringLiteral("b")));
    EXPECT_TRUE(enabled("UpOneLevel")) << "a typed path has a parent";
    press("UpOneLevel");
    EXPECT_EQ(treeFolder(), home.path(QString()).chopped(1));
    EXPECT_EQ(txtPath->text(), home.path(QString()).chopped(1));
}

TEST_F(frmDirToolbar, NewFolderAsksItsNameAndShowsIt)
{
    select(home.path(QStringLiteral("b")));
    bool asked = false;
    QTimer::singleShot(0, [&] {
        auto* question = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        asked = question != nullptr;
        if (!question)
            return;
        EXPECT_EQ(question->windowTitle(), QStringLiteral("New Folder"));
        EXPECT_EQ(question->labelText(), QStringLiteral("Name of the new folder:"));
        question->setTextValue(QStringLiteral("made"));
        question->accept();
    });
    press("NewFolder");
    ASSERT_TRUE(asked);
    const QString made = home.path(QStringLiteral("b/made"));
    EXPECT_TRUE(QFileInfo(made).isDir());
    EXPECT_EQ(treeFolder(), made);
    EXPECT_EQ(txtPath->text(), made);
    EXPECT_TRUE(home.prompter.shown.isEmpty());

    // A name the user takes back makes nothing.
    QTimer::singleShot(0, [] {
        if (auto* question = qobject_cast<QInputDialog*>(QApplication::activeModalWidget()))
            question->reject();
    });
    press("NewFolder");
    EXPECT_EQ(QDir(made).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(treeFolder(), made);
}

TEST(frmDir, ShowsItsCaptions)
{
    TestHome home;
    InstallShippedLanguageFile(home);
    KevaContext& context = home.newContext();
    FolderChooserState state(context.prompter, context.text);
    frmDir dialog(context.text, state);
    state.open();
    EXPECT_EQ(ShownCaption(dialog, QString()), QStringLiteral("Select Directory"));
    EXPECT_EQ(ShownCaption(dialog, QStringLiteral("Command1")), QStringLiteral("OK"));
    EXPECT_EQ(ShownCaption(dialog, QStringLiteral("Command2")), QStringLiteral("&Cancel"));
}

class frmDirLanguages : public testing::TestWithParam<const char*> { };

TEST_P(frmDirLanguages, ShowTheShippedTexts)
{
    TestHome home;
    KevaContext& context = home.newContext();
    UseShippedLanguage(home, context, GetParam());
    FolderChooserState state(context.prompter, context.text);
    frmDir dialog(context.text, state);
    state.open();
    ExpectShippedLanguageTexts(
        dialog, GetParam(),
        {{"", "03000"}, {"Command1", "02006"}, {"Command2", "05004"}, {"UpOneLevel", "03001"}, {"NewFolder", "03002"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmDirLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
