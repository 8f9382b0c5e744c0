#include "MainWindowFixture.h"

#include "support/CaptionHelpers.h"
#include "engine/DownloadJob.h"
#include "mainwin/ui/JobListModel.h"
#include "settings/KevaContext.h"
#include "support/CaseName.h"
#include "support/PeerRequirement.h"

#include <QAction>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QStackedWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

namespace {

using View = JobViews::View;

QString shownCell(const QTreeView* list, int row, int column)
{
    return list->model()->index(row, column).data().toString();
}

QTreeWidgetItem* node(QTreeWidget* tree, const QString& key)
{
    for (QTreeWidgetItemIterator item(tree); *item; ++item) {
        if ((*item)->data(0, Qt::UserRole).toString() == key)
            return *item;
    }
    return nullptr;
}

class frmMainTest : public MainWindowFixture {
protected:
    QTreeWidget* tree() const { return window->findChild<QTreeWidget*>(QStringLiteral("TreeView1")); }
    QTreeView* list(View view) const { return window->listView(view); }

    void clickNode(const QString& key)
    {
        QTreeWidgetItem* item = node(tree(), key);
        ASSERT_NE(item, nullptr) << key.toStdString();
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(item).center());
    }

    void clickHeader(int column)
    {
        QHeaderView* header = list(View::Downloads)->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
        settle();
    }

    QStringList mainUrls() const
    {
        QStringList urls;
        for (int row = 0; row < list(View::Downloads)->model()->rowCount(); ++row)
            urls.append(shownCell(list(View::Downloads), row, 5));
        return urls;
    }
};

TEST_F(frmMainTest, RowsAppearInTheirListsWithTheirColumns)
{
    views.lstMain.addRow(cells(QStringLiteral("today"), 40));
    views.lstAll.addRow(cells(QStringLiteral("old"), 100, kToday.addDays(-3)));
    const struct {
        View view;
        const JobList& rows;
    } lists[] = {{View::Downloads, views.lstMain}, {View::All, views.lstAll}};
    for (const auto& [view, rows] : lists) {
        ASSERT_EQ(list(view)->model()->rowCount(), 1);
        for (int column = 0; column < 7; ++column)
            EXPECT_EQ(shownCell(list(view), 0, column), rows.row(1)->subItem(column + 1)) << column;
    }
    // A change of a job's cell shows at once.
    views.lstMain.setSubItem(views.lstMain.row(1), 2, QStringLiteral("41%"));
    EXPECT_EQ(shownCell(list(View::Downloads), 0, 1), QStringLiteral("41%"));
}

TEST_F(frmMainTest, ColumnsHaveTheDesignedWidths)
{
    // 3705, 1059, 1764, 1763, 2823, 5998 and 0 twips at 15 twips a pixel.
    const int widths[] = {247, 70, 117, 117, 188, 399};
    for (const View view : {View::Downloads, View::All, View::Yesterday, View::PastWeek, View::PastMonth}) {
        for (int column = 0; column < 6; ++column) {
            EXPECT_EQ(list(view)->columnWidth(column), widths[column]) << column;
            EXPECT_FALSE(list(view)->isColumnHidden(column));
        }
        EXPECT_TRUE(list(view)->isColumnHidden(6)) << "Date";
        EXPECT_EQ(list(view)->selectionMode(), QAbstractItemView::ExtendedSelection);
    }
}

TEST_F(frmMainTest, TreeStartsOnDownloadsWithHistoryOpen)
{
    ASSERT_EQ(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(tree()->currentItem(), node(tree(), QStringLiteral("Downloads")));
    EXPECT_TRUE(node(tree(), QStringLiteral("Downloads"))->font(0).bold());
    EXPECT_TRUE(node(tree(), QStringLiteral("History"))->isExpanded());
    EXPECT_EQ(node(tree(), QStringLiteral("History"))->childCount(), 4);
}

struct NodeCase {
    const char* name;
    const char* key;
    View shown;
};

class frmMainNodeTest : public frmMainTest, public testing::WithParamInterface<NodeCase> { };

TEST_P(frmMainNodeTest, ClickingANodeShowsItsListAlone)
{
    window->show();
    // Start away from the node, so the click is a change.
    clickNode(QString::fromLatin1(GetParam().key) == QStringLiteral("PastMonth") ? QStringLiteral("All")
                                                                                 : QStringLiteral("PastMonth"));
    clickNode(QString::fromLatin1(GetParam().key));
    EXPECT_EQ(views.shown(), GetParam().shown);
    for (const View view : {View::Downloads, View::All, View::Yesterday, View::PastWeek, View::PastMonth})
        EXPECT_EQ(list(view)->isVisible(), view == GetParam().shown) << list(view)->objectName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Nodes, frmMainNodeTest,
                         testing::Values(NodeCase {"Downloads", "Downloads", View::Downloads},
                                         NodeCase {"History", "History", View::All}, NodeCase {"All", "All", View::All},
                                         NodeCase {"Ysterday", "Ysterday", View::Yesterday},
                                         NodeCase {"PastWeek", "PastWeek", View::PastWeek},
                                         NodeCase {"PastMonth", "PastMonth", View::PastMonth}),
                         CaseName());

// A command that switches the shown list (Begin Download shows today's jobs)
// moves the tree's current node with it, so the tree always names the list
// the queue menu acts on, and a click on the node left behind switches back.
struct SwitchCase {
    const char* name;
    const char* from; // the node the user was on
    View fromView;
};

class frmMainSwitch : public frmMainTest, public testing::WithParamInterface<SwitchCase> { };

TEST_P(frmMainSwitch, TreeFollowsTheShownList)
{
    const SwitchCase& c = GetParam();
    const QString from = QString::fromLatin1(c.from);
    views.lstMain.addRow(cells(QStringLiteral("today"), 0));
    views.lstAll.addRow(cells(QStringLiteral("old"), 100, kToday.addDays(-1)));
    views.lstYest.addRow(cells(QStringLiteral("old"), 100, kToday.addDays(-1)));
    window->show();
    clickNode(from);
    ASSERT_EQ(views.shown(), c.fromView);
    EXPECT_EQ(tree()->currentItem(), node(tree(), from)) << "the clicked node stays current";

    views.selectNode(QStringLiteral("Downloads"));
    EXPECT_EQ(tree()->currentItem(), node(tree(), QStringLiteral("Downloads")));
    EXPECT_TRUE(list(View::Downloads)->isVisible());

    clickNode(from);
    EXPECT_EQ(views.shown(), c.fromView) << "the node left behind switches back";
    EXPECT_TRUE(list(c.fromView)->isVisible());
    action("clear_qmnu")->trigger();
    EXPECT_EQ(views.lstMain.rowCount(), 1) << "the queue menu acts on the list the tree names";
    EXPECT_EQ(views.list(c.fromView).rowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Nodes, frmMainSwitch,
                         testing::Values(SwitchCase {"All", "All", View::All},
                                         SwitchCase {"History", "History", View::All},
                                         SwitchCase {"Ysterday", "Ysterday", View::Yesterday}),
                         CaseName());

TEST_F(frmMainTest, QueueMenuActsOnTheShownList)
{
    for (const char* name : {"a", "b", "c", "d"})
        views.lstWeek.addRow(cells(QString::fromLatin1(name), 100, kToday.addDays(-4)));
    views.lstMain.addRow(cells(QStringLiteral("today"), 10));
    window->show();
    clickNode(QStringLiteral("PastWeek"));

    // The user picks rows b and d; the rows learn it.
    QTreeView* week = list(View::PastWeek);
    week->selectionModel()->select(week->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    week->selectionModel()->select(week->model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(views.lstWeek.row(2)->selected);
    EXPECT_TRUE(views.lstWeek.row(4)->selected);
    EXPECT_FALSE(views.lstWeek.row(1)->selected);

    action("removeselection_qmnu")->trigger();
    settle();
    ASSERT_EQ(week->model()->rowCount(), 2);
    EXPECT_EQ(shownCell(week, 0, 5), QStringLiteral("http://host/a"));
    EXPECT_EQ(shownCell(week, 1, 5), QStringLiteral("http://host/c"));
    EXPECT_FALSE(week->selectionModel()->hasSelection());

    action("selectall_qmnu")->trigger();
    settle();
    EXPECT_EQ(week->selectionModel()->selectedRows().size(), 2);
    EXPECT_TRUE(views.lstWeek.row(1)->selected && views.lstWeek.row(2)->selected);
    EXPECT_TRUE(week->hasFocus() || !QApplication::focusWidget());

    action("deselectall_qmnu")->trigger();
    settle();
    EXPECT_FALSE(week->selectionModel()->hasSelection());

    action("clear_qmnu")->trigger();
    settle();
    EXPECT_EQ(week->model()->rowCount(), 0);
    EXPECT_EQ(views.lstMain.rowCount(), 1) << "only the shown list changes";
}

// The queue menu's job entries act on the jobs of the selected rows (the All
// versions on every job with a window); an entry with nothing to act on is
// disabled.
class frmMainQueueJobsTest : public frmMainTest {
protected:
    // The enabled job entries, as the menu shows them when it opens.
    std::vector<std::string> enabledJobEntries() const
    {
        auto* menu = window->findChild<QMenu*>(QStringLiteral("queue_mnu"));
        menu->popup(QPoint(10, 10));
        menu->hide();
        std::vector<std::string> enabled;
        for (const char* name :
             {"pause_qmnu", "resume_qmnu", "stop_qmnu", "pauseall_qmnu", "resumeall_qmnu", "stopall_qmnu"}) {
            if (action(name)->isEnabled())
                enabled.emplace_back(name);
        }
        return enabled;
    }
};

TEST_F(frmMainQueueJobsTest, EntriesActOnTheSelectedJobs)
{
    KEVA_REQUIRE_PEER(transfers().server());
    window->show();
    DownloadJob* running = transferringJob(QStringLiteral("running.bin"));
    DownloadJob* paused = transferringJob(QStringLiteral("paused.bin"));
    DownloadJob* other = transferringJob(QStringLiteral("other.bin"));
    ASSERT_TRUE(running && paused && other);
    paused->Pause_Resume();
    ASSERT_TRUE(running->isTransferring() && paused->isPaused() && other->isTransferring());

    struct Step {
        const char* name;
        std::function<void()> act;
        std::vector<std::string> enabled;
        bool runningTransfers;
        bool pausedTransfers;
    };
    const Step steps[] = {
        {"nothing selected", [] {}, {"pauseall_qmnu", "resumeall_qmnu", "stopall_qmnu"}, true, false},
        {"running and paused selected",
         [&] {
             views.lstMain.setSelected(running->listRow(), true);
             views.lstMain.setSelected(paused->listRow(), true);
         },
         {"pause_qmnu", "resume_qmnu", "stop_qmnu", "pauseall_qmnu", "resumeall_qmnu", "stopall_qmnu"},
         true,
         false},
        {"pause",
         [&] { action("pause_qmnu")->trigger(); },
         {"resume_qmnu", "pauseall_qmnu", "resumeall_qmnu", "stopall_qmnu"},
         false,
         false},
        {"resume",
         [&] { action("resume_qmnu")->trigger(); },
         {"pause_qmnu", "stop_qmnu", "pauseall_qmnu", "stopall_qmnu"},
         true,
         true},
        {"stop", [&] { action("stop_qmnu")->trigger(); }, {"pauseall_qmnu", "stopall_qmnu"}, false, false},
        {"resume all leaves the stopped jobs",
         [&] { state->ResumeAll(); },
         {"pauseall_qmnu", "stopall_qmnu"},
         false,
         false},
        {"history view",
         [&] { views.selectNode(QStringLiteral("All")); },
         {"pauseall_qmnu", "stopall_qmnu"},
         false,
         false},
        {"pause all", [&] { action("pauseall_qmnu")->trigger(); }, {"resumeall_qmnu"}, false, false},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(enabledJobEntries(), step.enabled) << step.name;
        EXPECT_EQ(running->isTransferring(), step.runningTransfers) << step.name;
        EXPECT_EQ(paused->isTransferring(), step.pausedTransfers) << step.name;
    }
    EXPECT_FALSE(other->isTransferring()) << "pause all reached the job that was not selected";
    EXPECT_TRUE(other->isPaused());
}

TEST_F(frmMainTest, RightClickOnAnyListOpensTheQueueMenu)
{
    auto* menu = window->findChild<QMenu*>(QStringLiteral("queue_mnu"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("Queue Menu"));
    window->show();
    for (const View view : {View::Downloads, View::PastMonth}) {
        views.selectNode(view == View::Downloads ? QStringLiteral("Downloads") : QStringLiteral("PastMonth"));
        emit list(view)->customContextMenuRequested(QPoint(10, 10));
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
    }
    QStringList entries;
    for (const QAction* entry : menu->actions()) {
        if (!entry->isSeparator())
            entries.append(entry->text());
    }
    EXPECT_EQ(entries,
              (QStringList {QStringLiteral("Refresh"), QStringLiteral("Clear Queue"), QStringLiteral("Select All"),
                            QStringLiteral("De-Select All"), QStringLiteral("Re-Download URL..."),
                            QStringLiteral("Change Address..."), QStringLiteral("Remove Selection"),
                            QStringLiteral("Start Now"), QStringLiteral("Move Up"), QStringLiteral("Move Down"),
                            QStringLiteral("&Pause"), QStringLiteral("&Resume"), QStringLiteral("&Stop"),
                            QStringLiteral("P&ause All"), QStringLiteral("R&esume All"), QStringLiteral("S&top All")}));
    for (const char* name : {"changeaddress_qmnu", "startnow_qmnu", "moveup_qmnu", "movedown_qmnu"})
        EXPECT_FALSE(window->findChild<QAction*>(QString::fromLatin1(name))->isEnabled())
            << name << ": no unfinished or waiting row is selected";
}

TEST_F(frmMainTest, HeaderClickSortsTheJobListBothWays)
{
    for (const char* name : {"b", "c", "a"})
        views.lstMain.addRow(cells(QString::fromLatin1(name), 50));
    window->show();
    const QStringList ascending = {QStringLiteral("http://host/a"), QStringLiteral("http://host/b"),
                                   QStringLiteral("http://host/c")};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());

    clickHeader(5);
    const QStringList first = mainUrls();
    clickHeader(5);
    const QStringList second = mainUrls();
    EXPECT_TRUE((first == descending && second == ascending) || (first == ascending && second == descending))
        << first.join(QLatin1Char(' ')).toStdString() << " / " << second.join(QLatin1Char(' ')).toStdString();
    EXPECT_NE(first, second);
    // Only the job list sorts.
    EXPECT_FALSE(list(View::All)->header()->sectionsClickable());
}

TEST_F(frmMainTest, SortKeepsTheUsersRowsSelected)
{
    for (const char* name : {"b", "c", "a"})
        views.lstMain.addRow(cells(QString::fromLatin1(name), 50));
    window->show();
    QTreeView* jobs = list(View::Downloads);
    jobs->selectionModel()->select(jobs->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    clickHeader(5);
    const QModelIndexList selected = jobs->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().siblingAtColumn(5).data().toString(), QStringLiteral("http://host/b"));
}

TEST_F(frmMainTest, StatusBarShowsTheRateText)
{
    auto* panel = window->findChild<QLabel*>(QStringLiteral("StatusBar_Panel1"));
    ASSERT_NE(panel, nullptr);
    // The window's own timer ticks.
    EXPECT_TRUE(QTest::qWaitFor([panel] { return !panel->text().isEmpty(); }, 2000));
    EXPECT_EQ(panel->text(), state->statusText());

    KEVA_REQUIRE_PEER(transfers().server());
    DownloadJob* job = transferringJob(QStringLiteral("a.bin"));
    ASSERT_TRUE(job && job->isTransferring());
    ASSERT_TRUE(SlowTransfers::waitForRate(*job));
    state->tmrGraph_Timer();
    EXPECT_NE(state->statusText(), QStringLiteral("Total Transfer Rate: 00.00 Kbps"));
    EXPECT_EQ(panel->text(), state->statusText());
}

TEST_F(frmMainTest, StatusBarShowsTheSiteProgressWhileThereIsOne)
{
    window->show();
    auto* panel = window->findChild<QLabel*>(QStringLiteral("StatusBar_Panel2"));
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    window->showSiteProgress(QStringLiteral("Site download: 2 pages read"));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(), QStringLiteral("Site download: 2 pages read"));
    window->showSiteProgress(QString());
    EXPECT_FALSE(panel->isVisible());
}

struct CloseCase {
    const char* name;
    bool trayAvailable;
    bool visibleAfter;
    bool minimisedAfter;
};

class frmMainCloseTest : public frmMainTest, public testing::WithParamInterface<CloseCase> { };

TEST_P(frmMainCloseTest, CloseBoxKeepsTheProgramRunning)
{
    trayAvailable = GetParam().trayAvailable;
    window->show();
    EXPECT_FALSE(window->close());
    EXPECT_EQ(window->isVisible(), GetParam().visibleAfter);
    EXPECT_EQ(window->isMinimized(), GetParam().minimisedAfter);
    EXPECT_FALSE(state->ended());
}

TEST_P(frmMainCloseTest, HideWindowsDoesTheSame)
{
    trayAvailable = GetParam().trayAvailable;
    window->show();
    action("hidewindows_mnu")->trigger();
    EXPECT_EQ(window->isVisible(), GetParam().visibleAfter);
    EXPECT_EQ(window->isMinimized(), GetParam().minimisedAfter);
}

INSTANTIATE_TEST_SUITE_P(Tray, frmMainCloseTest,
                         testing::Values(CloseCase {"TrayHides", true, false, false},
                                         CloseCase {"NoTrayMinimises", false, true, true}),
                         CaseName());

TEST_F(frmMainTest, ClosesOnceTheProgramEnds)
{
    int quits = 0;
    state->quit = [&quits] { ++quits; };
    window->show();
    action("exit_mnu")->trigger();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(window->close());
}

struct HookCase {
    const char* name;
    frmMain::Dialog dialog;
    std::vector<const char*> entries;
};

class frmMainHookTest : public frmMainTest, public testing::WithParamInterface<HookCase> { };

TEST_P(frmMainHookTest, DialogEntriesWaitForTheirDialog)
{
    for (const char* entry : GetParam().entries)
        EXPECT_FALSE(action(entry)->isEnabled()) << entry;
    int opened = 0;
    window->setDialog(GetParam().dialog, [&opened] { ++opened; });
    for (const char* entry : GetParam().entries) {
        ASSERT_TRUE(action(entry)->isEnabled()) << entry;
        action(entry)->trigger();
    }
    EXPECT_EQ(opened, static_cast<int>(GetParam().entries.size()));
    window->setDialog(GetParam().dialog, {});
    EXPECT_FALSE(action(GetParam().entries.front())->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, frmMainHookTest,
    testing::Values(HookCase {"AddUrl", frmMain::Dialog::AddUrl, {"Add_mnu", "toolbar_AddUrl"}},
                    HookCase {"SiteDownloader", frmMain::Dialog::SiteDownloader, {"mnu_SiteDown", "toolbar_AddSite"}},
                    HookCase {"Schedule", frmMain::Dialog::Schedule, {"mnuSchedule", "toolbar_Schedule"}},
                    HookCase {"Settings", frmMain::Dialog::Settings, {"settings_mnu"}},
                    HookCase {"About", frmMain::Dialog::About, {"About_mnu"}}),
    CaseName());

// From the history, the selected addresses start anew; in today's list each
// selected row starts again in its own row, so no stale row is left.
TEST_F(frmMainTest, ReDownloadStartsTheSelectedAddresses)
{
    EXPECT_FALSE(action("mnu_Redown")->isEnabled());
    EXPECT_FALSE(action("mnuReDownload")->isEnabled());
    QStringList started;
    window->setReDownload([&started](const QString& url) { started.append(url); });
    views.lstAll.addRow(cells(QStringLiteral("a"), 100, kToday.addDays(-3)));
    views.lstAll.addRow(cells(QStringLiteral("b"), 100, kToday.addDays(-3)));
    views.lstAll.setSubItem(views.lstAll.row(2), 6, QStringLiteral("from the clipboard http://host/b"));
    views.selectNode(QStringLiteral("All"));

    // Without a current row nothing happens.
    views.selectAllShown(true);
    settle();
    action("mnuReDownload")->trigger();
    EXPECT_TRUE(started.isEmpty());

    QTreeView* history = list(View::All);
    history->selectionModel()->setCurrentIndex(history->model()->index(1, 0), QItemSelectionModel::NoUpdate);
    action("mnu_Redown")->trigger();
    EXPECT_EQ(started, (QStringList {QStringLiteral("http://host/a"), QStringLiteral("http://host/b")}));

    started.clear();
    views.selectNode(QStringLiteral("Downloads"));
    const JobList::Row row = views.lstMain.addRow({home.path(QStringLiteral("c.bin")),
                                                   QStringLiteral("19%"),
                                                   {},
                                                   {},
                                                   QStringLiteral("Paused/Stopped"),
                                                   QStringLiteral("http://127.0.0.1:9/c.bin")});
    views.lstMain.setSelected(row, true);
    settle();
    QTreeView* today = list(View::Downloads);
    today->selectionModel()->setCurrentIndex(today->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    action("mnu_Redown")->trigger();
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(views.lstMain.rowCount(), 1);
    ASSERT_TRUE(windows->slot(0));
    EXPECT_EQ(windows->slot(0)->listRow(), row);
}

TEST_F(frmMainTest, GlobalAndHelpEntriesReachTheState)
{
    // A job paused by its own button: "resume all" resumes it, "pause all"
    // pauses it, "stop all" stops it while it runs.
    KEVA_REQUIRE_PEER(transfers().server());
    DownloadJob* job = transferringJob(QStringLiteral("a.bin"));
    ASSERT_NE(job, nullptr);
    job->Pause_Resume();
    ASSERT_TRUE(job->isPaused());
    action("resumeall_mnu")->trigger();
    ASSERT_TRUE(job->isTransferring());
    action("pauseall_mnu")->trigger();
    EXPECT_FALSE(job->isTransferring());
    EXPECT_TRUE(job->isPaused());
    action("resumeall_mnu")->trigger();
    ASSERT_TRUE(job->isTransferring());
    action("stopall_mnu")->trigger();
    EXPECT_FALSE(job->isTransferring());

    action("UserGuide_mnu")->trigger();
    action("toolbar_Help")->trigger();
    const QString guide = home.programFolder() + QStringLiteral("/help/UserGuide.html");
    EXPECT_EQ(home.shell.opened, (QStringList {guide, guide}));
}

TEST_F(frmMainTest, CaptionsComeFromTheLanguageFile)
{
    WriteNumberedLanguageFile(home,
                              {QStringLiteral("01001"), QStringLiteral("01002"), QStringLiteral("01003"),
                               QStringLiteral("01007"), QStringLiteral("01010"), QStringLiteral("01011"),
                               QStringLiteral("01080"), QStringLiteral("01087"), QStringLiteral("01088")});
    state->SetCaptions();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillspan"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Add_mnu")), QStringLiteral("T01011"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("toolbar_AddUrl")), QStringLiteral("T01001"));
    EXPECT_EQ(action("toolbar_AddUrl")->toolTip(), QStringLiteral("T01001"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("toolbar_Help")), QStringLiteral("T01087"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Label1")), QStringLiteral("T01002"));
    EXPECT_EQ(window->findChild<QMenu*>(QStringLiteral("file_mnu"))->title(), QStringLiteral("T01010"));
    EXPECT_EQ(node(tree(), QStringLiteral("Ysterday"))->text(0), QStringLiteral("T01080"));
    // Keys missing from the file keep their built-in captions.
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("exit_mnu")), QStringLiteral("E&xit"));
    for (const View view : {View::Downloads, View::PastMonth}) {
        const QAbstractItemModel* model = list(view)->model();
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("T01088"));
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("T01003"));
        EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Size"));
        EXPECT_EQ(model->headerData(6, Qt::Horizontal).toString(), QStringLiteral("T01007"));
    }
}

TEST_F(frmMainTest, ScreenshotWithHistoryRows)
{
    home.writeFile(QStringLiteral("home/History.ini"), [] {
        QByteArray file;
        const auto record = [&file](const QStringList& cellsOfRow) {
            for (const QString& cell : cellsOfRow)
                file += cell.toUtf8() + "\r\n";
        };
        record(cells(QStringLiteral("today-1"), 100));
        record(cells(QStringLiteral("today-2"), 37));
        record(cells(QStringLiteral("yesterday"), 100, kToday.addDays(-1)));
        return file;
    }());
    state->Load();
    window->show();
    state->tmrGraph_Timer();
    settle();
    ASSERT_EQ(list(View::Downloads)->model()->rowCount(), 2);

    const QImage shot = window->grab().toImage();
    const QString file = home.path(QStringLiteral("frmMain.png"));
    ASSERT_TRUE(shot.save(file));
    EXPECT_EQ(shot.size(), window->size());
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3) {
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 20) << "blank screenshot " << file.toStdString();
}

} // namespace
