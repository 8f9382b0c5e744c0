#include "settings/FolderChooserState.h"

#include "settings/KevaContext.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace {

TEST(FolderChooserState, OkReturnsThePathAndCancelKeepsTheLastResult)
{
    TestHome home;
    KevaContext& context = home.newContext();
    FolderChooserState chooser(context.prompter, context.text);
    EXPECT_TRUE(chooser.result().isEmpty());

    chooser.open();
    EXPECT_TRUE(chooser.visible);
    chooser.txtPath = QStringLiteral("/d/first");
    chooser.Cancel();
    EXPECT_FALSE(chooser.visible);
    EXPECT_TRUE(chooser.result().isEmpty()) << "empty before the first OK";

    chooser.open();
    chooser.OK();
    EXPECT_FALSE(chooser.visible);
    EXPECT_EQ(chooser.result(), QStringLiteral("/d/first"));
    EXPECT_EQ(chooser.txtPath, QStringLiteral("/d/first")) << "the next use starts there";

    chooser.open();
    chooser.txtPath = QStringLiteral("/d/second");
    chooser.Cancel();
    EXPECT_EQ(chooser.result(), QStringLiteral("/d/first"));
}

TEST(FolderChooserState, OpenTakesTheCaptions)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n03000=T03000\n02006=T02006\n05004=T05004\n");
    KevaContext& context = home.newContext();
    FolderChooserState chooser(context.prompter, context.text);
    QSignalSpy changed(&chooser, &FolderChooserState::changed);
    chooser.open();
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(chooser.caption, QStringLiteral("T03000"));
    EXPECT_EQ(chooser.Command1, QStringLiteral("T02006"));
    EXPECT_EQ(chooser.Command2, QStringLiteral("T05004"));
}

struct UpCase {
    const char* name;
    const char* from;
    const char* to; // equal to `from` when there is nothing above
};

class FolderChooserUp : public testing::TestWithParam<UpCase> { };

TEST_P(FolderChooserUp, MovesToTheParentFolder)
{
    TestHome home;
    KevaContext& context = home.newContext();
    FolderChooserState chooser(context.prompter, context.text);
    QSignalSpy moved(&chooser, &FolderChooserState::folderMoved);
    chooser.txtPath = QString::fromUtf8(GetParam().from);
    const bool up = GetParam().to != std::string_view(GetParam().from);
    EXPECT_EQ(chooser.canGoUp(), up);
    chooser.UpOneLevel();
    EXPECT_EQ(chooser.txtPath, QString::fromUtf8(GetParam().to));
    EXPECT_EQ(moved.size(), up ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, FolderChooserUp,
                         testing::Values(UpCase {"Deeper", "/d/a/b", "/d/a"}, UpCase {"TrailingSlash", "/d/a/", "/d"},
                                         UpCase {"BelowRoot", "/d", "/"}, UpCase {"Root", "/", "/"},
                                         UpCase {"Empty", "", ""}, UpCase {"Relative", "d/a", "d/a"}),
                         CaseName());

// The new folder is made in the shown one from the name the user gives; a
// name that cannot be made is told and changes nothing.
struct NewFolderCase {
    const char* name;
    const char* in; // the shown folder, below the test's root
    std::optional<const char*> answer;
    const char* made;    // the folder made and shown, below the root; "" for none
    const char* message; // part of the one message, "" for none
};

class FolderChooserNewFolder : public testing::TestWithParam<NewFolderCase> { };

TEST_P(FolderChooserNewFolder, MakesTheNamedFolderOrSaysWhyNot)
{
    const NewFolderCase& c = GetParam();
    TestHome home;
    ASSERT_TRUE(QDir().mkpath(home.path(QStringLiteral("base/taken"))));
    home.writeFile(QStringLiteral("base/file"), "f");
    const QStringList before =
        QDir(home.path(QStringLiteral("base"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    KevaContext& context = home.newContext();
    FolderChooserState chooser(context.prompter, context.text);
    QSignalSpy moved(&chooser, &FolderChooserState::folderMoved);
    int asked = 0;
    chooser.askFolderName = [&]() -> std::optional<QString> {
        ++asked;
        if (!c.answer)
            return std::nullopt;
        return QString::fromUtf8(*c.answer);
    };
    const QString shown = home.path(QString::fromUtf8(c.in));
    chooser.txtPath = shown;
    chooser.NewFolder();

    EXPECT_EQ(asked, 1);
    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_TRUE(home.prompter.shown[0].text.contains(QString::fromUtf8(c.message)))
            << home.prompter.shown[0].text.toStdString();
        EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Quillspan"));
        EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Exclamation);
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
    }
    const QStringList after =
        QDir(home.path(QStringLiteral("base"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    if (*c.made) {
        const QString made = home.path(QString::fromUtf8(c.made));
        EXPECT_TRUE(QFileInfo(made).isDir());
        EXPECT_EQ(chooser.txtPath, made);
        EXPECT_EQ(moved.size(), 1);
        EXPECT_EQ(after.size(), before.size() + 1);
    } else {
        EXPECT_EQ(after, before) << "nothing on disk changed";
        EXPECT_EQ(chooser.txtPath, shown);
        EXPECT_EQ(moved.size(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, FolderChooserNewFolder,
    testing::Values(NewFolderCase {"Made", "base", "fresh", "base/fresh", ""},
                    NewFolderCase {"Trimmed", "base", "  fresh ", "base/fresh", ""},
                    NewFolderCase {"Cancelled", "base", std::nullopt, "", ""},
                    NewFolderCase {"Empty", "base", "  ", "", "Type a name for the new folder."},
                    NewFolderCase {"Slash", "base", "a/b", "", "\"a/b\" cannot be a folder name"},
                    NewFolderCase {"DotDot", "base", "..", "", "\"..\" cannot be a folder name"},
                    NewFolderCase {"Taken", "base", "taken", "", "/base/taken\" already exists."},
                    NewFolderCase {"FileOfThatName", "base", "file", "", "/base/file\" already exists."},
                    NewFolderCase {"ShownFolderGone", "base/gone", "fresh", "", "to make the new folder in."},
                    NewFolderCase {"ShownIsAFile", "base/file", "fresh", "", "to make the new folder in."}),
    CaseName());

} // namespace
