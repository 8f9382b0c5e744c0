#include "MainWindowFixture.h"

#include "support/CaptionHelpers.h"
#include "mainwin/ui/TrayIcon.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <QTreeWidget>

namespace {

// A program folder without a language file: every window keeps its built-in
// English captions.
class EmptyProgramFolderTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(QDir(home.programFolder()).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(home.programFolder()));
    }
};

TEST_F(EmptyProgramFolderTest, ShowsTheEnglishCaptions)
{
    TrayIcon tray(*state, *window);
    state->Load();

    QStringList menuTitles;
    for (const QAction* menu : window->menuBar()->actions())
        menuTitles.append(menu->text());
    EXPECT_EQ(menuTitles,
              (QStringList {QStringLiteral("&File"), QStringLiteral("&Downloads"), QStringLiteral("&Options"),
                            QStringLiteral("&Help")}));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("exit_mnu")), QStringLiteral("E&xit"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("resumeall_mnu")), QStringLiteral("R&esume All"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Label1")), QStringLiteral("Language"));

    QStringList nodes;
    for (QTreeWidgetItemIterator item(window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"))); *item; ++item)
        nodes.append((*item)->text(0));
    EXPECT_EQ(nodes,
              (QStringList {QStringLiteral("Downloads"), QStringLiteral("History"), QStringLiteral("All"),
                            QStringLiteral("Ysterday"), QStringLiteral("PastWeek"), QStringLiteral("PastMonth")}));

    for (const JobViews::View view : {JobViews::View::Downloads, JobViews::View::All, JobViews::View::PastMonth}) {
        const QAbstractItemModel* model = window->listView(view)->model();
        QStringList titles;
        for (int column = 0; column < model->columnCount(); ++column)
            titles.append(model->headerData(column, Qt::Horizontal).toString());
        EXPECT_EQ(titles,
                  (QStringList {QStringLiteral("Filename"), QStringLiteral("%"), QStringLiteral("Size"),
                                QStringLiteral("Recieved"), QStringLiteral("Status"), QStringLiteral("URL"),
                                QStringLiteral("Date")}));
    }

    QStringList trayEntries;
    for (const QAction* entry : tray.menu().actions()) {
        if (!entry->isSeparator())
            trayEntries.append(entry->text());
    }
    EXPECT_EQ(trayEntries,
              (QStringList {QStringLiteral("Show Download Status"), QStringLiteral("Download Windows"),
                            QStringLiteral("&Tools"), QStringLiteral("&Options"), QStringLiteral("&Close KEVA")}));
    QStringList tools;
    for (const QAction* entry : tray.menu().findChild<QMenu*>(QStringLiteral("tools_traymnu"))->actions()) {
        if (!entry->isSeparator())
            tools.append(entry->text());
    }
    EXPECT_EQ(tools,
              (QStringList {QStringLiteral("Enter &URL"), QStringLiteral("Settings..."), QStringLiteral("Pause All"),
                            QStringLiteral("Resume All"), QStringLiteral("&Drop Target")}));
    state->tmrGraph_Timer();
    EXPECT_TRUE(state->statusText().startsWith(QStringLiteral("Total Transfer Rate: ")));
}

} // namespace
