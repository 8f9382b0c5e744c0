#include "mainwin/ui/frmMain.h"

#include "core/ProgramTitle.h"
#include "mainwin/MainWindowState.h"
#include "mainwin/ui/ActionHook.h"
#include "mainwin/ui/CaptionedControls.h"
#include "mainwin/ui/JobListModel.h"
#include "mainwin/ui/LeftToRightText.h"
#include "mainwin/ui/ProgramIcons.h"
#include "mainwin/ui/ReDownloadUrls.h"
#include "settings/KevaContext.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/NewAddressDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSignalBlocker>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

namespace {

// The columns' widths as designed, in twips.
constexpr std::array<int, JobListModel::kColumns> kColumnTwips = {3705, 1059, 1764, 1763, 2823, 5998, 0};

// The columns of paths, addresses and amounts with their units ("0 %",
// "3.00 MB"), by their number from 1: their texts read left to right in every
// language.
constexpr std::array<int, 5> kLeftToRightColumns = {1, 2, 3, 4, 6};

struct TreeNode {
    const char* key;
    const char* icon;
    bool child; // of "History"
};

// The view tree's nodes, in order; the image list's pictures 1 to 6.
constexpr std::array<TreeNode, 6> kTreeNodes = {{
    {"Downloads", "tree_downloads", false},
    {"History", "tree_history", false},
    {"All", "tree_all", true},
    {"Ysterday", "tree_yesterday", true},
    {"PastWeek", "tree_week", true},
    {"PastMonth", "tree_month", true},
}};

} // namespace

frmMain::frmMain(MainWindowState& state, JobViews& views, TrayAvailable trayAvailable, QWidget* parent)
    : QMainWindow(parent)
    , state_(state)
    , views_(views)
    , trayAvailable_(std::move(trayAvailable))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kProgramTitle);
    setWindowIcon(ProgramIcons::program());
    buildMenus();
    buildToolbar();
    buildTree();
    buildLists();
    buildQueueMenu();
    buildStatusBar();

    auto* splitter = Named(new QSplitter(Qt::Horizontal, this), "splitter");
    splitter->addWidget(TreeView1);
    splitter->addWidget(listStack_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({170, 1010});
    setCentralWidget(splitter);
    resize(1180, 600);

    state_.loadsAsPicture = [](const QString& path) { return !QImage(path).isNull(); };
    connectState();
    applyCaptions();
    showLanguages();
    tmrGraph.setInterval(kGraphMs);
    connect(&tmrGraph, &QTimer::timeout, &state_, &MainWindowState::tmrGraph_Timer);
    tmrGraph.start();
}

void frmMain::buildMenus()
{
    const auto menu = [this](const char* control) { return captions_.add(menuBar()->addMenu(QString()), control); };
    QMenu* file_mnu = menu("file_mnu");
    captions_.add(file_mnu->addAction(QString()), "Add_mnu");
    file_mnu->addSeparator();
    connect(captions_.add(file_mnu->addAction(QString()), "exit_mnu"), &QAction::triggered, &state_,
            &MainWindowState::exitCommand);

    QMenu* downloads_mnu = menu("downloads_mnu");
    captions_.add(downloads_mnu->addAction(QString()), "mnu_SiteDown");
    captions_.add(downloads_mnu->addAction(QString()), "mnu_Redown");
    downloads_mnu->addSeparator();
    connect(captions_.add(downloads_mnu->addAction(QString()), "pauseall_mnu"), &QAction::triggered, &state_,
            &MainWindowState::PauseAll);
    connect(captions_.add(downloads_mnu->addAction(QString()), "resumeall_mnu"), &QAction::triggered, &state_,
            &MainWindowState::ResumeAll);
    connect(captions_.add(downloads_mnu->addAction(QString()), "stopall_mnu"), &QAction::triggered, &state_,
            &MainWindowState::StopAll);

    QMenu* options_mnu = menu("options_mnu");
    captions_.add(options_mnu->addAction(QString()), "mnuSchedule");
    captions_.add(options_mnu->addAction(QString()), "settings_mnu");
    options_mnu->addSeparator();
    captions_.add(options_mnu->addAction(QString()), "showwindows_mnu");
    connect(captions_.add(options_mnu->addAction(QString()), "hidewindows_mnu"), &QAction::triggered, this,
            &frmMain::putAway);

    QMenu* help_mnu = menu("help_mnu");
    captions_.add(help_mnu->addAction(QString()), "About_mnu");
    connect(captions_.add(help_mnu->addAction(QString()), "UserGuide_mnu"), &QAction::triggered, &state_,
            &MainWindowState::openUserGuide);
}

void frmMain::buildToolbar()
{
    asxToolbar1 = Named(addToolBar(QString()), "asxToolbar1");
    asxToolbar1->setMovable(false);
    asxToolbar1->setIconSize(QSize(32, 32));
    asxToolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // A button's tool tip is its caption, as Qt gives an action without one.
    const auto button = [this](const char* control, const char* icon) {
        return captions_.add(asxToolbar1->addAction(ProgramIcons::named(QString::fromLatin1(icon)), QString()),
                             control);
    };
    asxToolbar1->addSeparator();
    button("toolbar_AddUrl", "addurl");
    button("toolbar_AddSite", "addsite");
    button("toolbar_Schedule", "schedule");
    asxToolbar1->addSeparator();
    connect(button("toolbar_Help", "help"), &QAction::triggered, &state_, &MainWindowState::openUserGuide);

    // The language picker sits at the far end of the toolbar.
    auto* gap = new QWidget(asxToolbar1);
    gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    asxToolbar1->addWidget(gap);
    Label1 = Named(new QLabel(asxToolbar1), "Label1");
    Label1->setContentsMargins(0, 0, 6, 0);
    asxToolbar1->addWidget(Label1);
    ComboLang = Named(new QComboBox(asxToolbar1), "ComboLang");
    ComboLang->setEnabled(false);
    ComboLang->setMinimumContentsLength(10);
    ComboLang->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboLang->setIconSize(QSize(32, 22));
    asxToolbar1->addWidget(ComboLang);
    connect(ComboLang, &QComboBox::activated, this,
            [this](int index) { state_.ComboLang_Click(ComboLang->itemText(index)); });
}

void frmMain::buildTree()
{
    TreeView1 = Named(new QTreeWidget(this), "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setRootIsDecorated(true);
    QTreeWidgetItem* history = nullptr;
    for (const TreeNode& node : kTreeNodes) {
        auto* item = node.child ? new QTreeWidgetItem(history) : new QTreeWidgetItem(TreeView1);
        item->setData(0, Qt::UserRole, QString::fromLatin1(node.key));
        item->setIcon(0, ProgramIcons::named(QString::fromLatin1(node.icon)));
        if (!history && !node.child && QLatin1String(node.key) == QLatin1String("History"))
            history = item;
    }
    QTreeWidgetItem* downloads = TreeView1->topLevelItem(0);
    QFont bold = downloads->font(0);
    bold.setBold(true);
    downloads->setFont(0, bold);
    history->setExpanded(true);
    showShownNode();
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current)
            views_.selectNode(current->data(0, Qt::UserRole).toString());
    });
}

void frmMain::showShownNode()
{
    const QString key = views_.shownNode();
    for (QTreeWidgetItemIterator item(TreeView1); *item; ++item) {
        if ((*item)->data(0, Qt::UserRole).toString() == key) {
            TreeView1->setCurrentItem(*item);
            return;
        }
    }
}

void frmMain::buildLists()
{
    listStack_ = Named(new QStackedWidget(this), "listStack");
    makeList(JobViews::View::Downloads, "lstMain");
    makeList(JobViews::View::All, "lstAll");
    makeList(JobViews::View::Yesterday, "lstYest");
    makeList(JobViews::View::PastWeek, "lstWeek");
    makeList(JobViews::View::PastMonth, "lstMonth");
    listStack_->setCurrentIndex(static_cast<int>(views_.shown()));

    // Only lstMain sorts by a clicked column.
    QHeaderView* header = listView(JobViews::View::Downloads)->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this, header](int section) {
        views_.sortMain(section + 1);
        header->setSortIndicatorShown(true);
        header->setSortIndicator(section, views_.mainAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    });
    // A double click on a row of today's list shows its download's window,
    // also of one that runs without a window.
    connect(listView(JobViews::View::Downloads), &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) {
                state_.openJobWindow(models_[static_cast<std::size_t>(JobViews::View::Downloads)]->rowAt(index.row()));
            });
}

QTreeView* frmMain::makeList(JobViews::View view, const char* name)
{
    const auto at = static_cast<std::size_t>(view);
    auto* model = new JobListModel(views_.list(view), this);
    auto* list = Named(new QTreeView(listStack_), name);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    // A long path or URL loses its middle, so the file name always shows;
    // the tooltip has it whole.
    list->setTextElideMode(Qt::ElideMiddle);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsClickable(false);
    auto* leftToRight = new LeftToRightText(list);
    for (const int column : kLeftToRightColumns)
        list->setItemDelegateForColumn(column - 1, leftToRight);
    for (int column = 0; column < JobListModel::kColumns; ++column) {
        const int width = kColumnTwips[static_cast<std::size_t>(column)] / kTwipsPerPixel;
        list->setColumnWidth(column, width);
        list->setColumnHidden(column, width == 0);
    }
    lists_[at] = list;
    models_[at] = model;
    listStack_->insertWidget(static_cast<int>(view), list);

    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint& at_) { queue_mnu->popup(list->viewport()->mapToGlobal(at_)); });
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, view](const QItemSelection& selected, const QItemSelection& deselected) {
                viewSelectionChanged(view, selected, deselected);
            });
    // Moving and removing rows changes the view's selection on its own; the
    // rows keep their flags.
    const auto hold = [this] { syncingSelection_ = true; };
    const auto release = [this] { syncingSelection_ = false; };
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, hold);
    connect(model, &QAbstractItemModel::rowsRemoved, this, release);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, hold);
    connect(model, &QAbstractItemModel::modelReset, this, release);
    connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, hold);
    connect(model, &QAbstractItemModel::layoutChanged, this, release);
    connect(model, &JobListModel::rearranged, this, [this, view] { showSelection(view); });
    return list;
}

void frmMain::viewSelectionChanged(JobViews::View view, const QItemSelection& selected,
                                   const QItemSelection& deselected)
{
    if (syncingSelection_)
        return;
    JobListModel* model = listModel(view);
    const auto mark = [model](const QItemSelection& ranges, bool on) {
        for (const QItemSelectionRange& range : ranges) {
            for (int row = range.top(); row <= range.bottom(); ++row)
                model->list().setSelected(model->rowAt(row), on);
        }
    };
    mark(deselected, false);
    mark(selected, true);
}

void frmMain::showSelection(JobViews::View view)
{
    const JobListModel* model = listModel(view);
    QItemSelection selection;
    const int rows = model->rowCount();
    for (int first = 0; first < rows; ++first) {
        if (!model->rowAt(first)->selected)
            continue;
        int last = first;
        while (last + 1 < rows && model->rowAt(last + 1)->selected)
            ++last;
        selection.select(model->index(first, 0), model->index(last, JobListModel::kColumns - 1));
        first = last;
    }
    syncingSelection_ = true;
    listView(view)->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    syncingSelection_ = false;
}

void frmMain::focusShown()
{
    listView(views_.shown())->setFocus();
}

void frmMain::buildQueueMenu()
{
    queue_mnu = captions_.add(new QMenu(this), "queue_mnu");
    const auto entry = [this](const char* control) { return captions_.add(queue_mnu->addAction(QString()), control); };
    connect(entry("refresh_qmnu"), &QAction::triggered, this,
            [this] { listView(JobViews::View::Downloads)->viewport()->update(); });
    connect(entry("clear_qmnu"), &QAction::triggered, &views_, &JobViews::clearShown);
    queue_mnu->addSeparator();
    connect(entry("selectall_qmnu"), &QAction::triggered, this, [this] {
        focusShown();
        views_.selectAllShown(true);
    });
    connect(entry("deselectall_qmnu"), &QAction::triggered, this, [this] {
        focusShown();
        views_.selectAllShown(false);
    });
    queue_mnu->addSeparator();
    entry("mnuReDownload");
    QAction* changeAddress = entry("changeaddress_qmnu");
    connect(queue_mnu, &QMenu::aboutToShow, changeAddress,
            [this, changeAddress] { changeAddress->setEnabled(static_cast<bool>(state_.addressChangeRow())); });
    connect(changeAddress, &QAction::triggered, this, [this] {
        const JobList::Row row = state_.addressChangeRow();
        if (!row)
            return;
        if (const auto url = NewAddressDialog::ask(this, state_.texts(), row->subItem(JobColumn::Url)))
            state_.changeAddress(row, *url);
    });
    connect(entry("removeselection_qmnu"), &QAction::triggered, this, [this] {
        focusShown();
        views_.removeSelectionShown();
    });
    queue_mnu->addSeparator();
    // The download queue: on the selected rows that wait in it.
    QAction* startNow = entry("startnow_qmnu");
    connect(startNow, &QAction::triggered, &state_, &MainWindowState::startNow);
    QAction* moveUp = entry("moveup_qmnu");
    connect(moveUp, &QAction::triggered, &state_, [this] { state_.moveInQueue(DownloadQueue::Direction::Up); });
    QAction* moveDown = entry("movedown_qmnu");
    connect(moveDown, &QAction::triggered, &state_, [this] { state_.moveInQueue(DownloadQueue::Direction::Down); });
    connect(queue_mnu, &QMenu::aboutToShow, this, [this, startNow, moveUp, moveDown] {
        const bool waiting = !state_.queuedSelection().isEmpty();
        for (QAction* action : {startNow, moveUp, moveDown})
            action->setEnabled(waiting);
    });
    queue_mnu->addSeparator();
    // The job commands: on the jobs of the selected rows, or on all jobs as
    // in the main menu. Each is enabled only while it has a job to act on.
    using Command = MainWindowState::JobCommand;
    using Scope = MainWindowState::Scope;
    struct JobEntry {
        const char* control;
        Command command;
        Scope scope;
    };
    static constexpr JobEntry kJobEntries[] = {
        {"pause_qmnu", Command::Pause, Scope::Selection}, {"resume_qmnu", Command::Resume, Scope::Selection},
        {"stop_qmnu", Command::Stop, Scope::Selection},   {"pauseall_qmnu", Command::Pause, Scope::All},
        {"resumeall_qmnu", Command::Resume, Scope::All},  {"stopall_qmnu", Command::Stop, Scope::All},
    };
    for (const JobEntry& job : kJobEntries) {
        QAction* action = entry(job.control);
        connect(action, &QAction::triggered, &state_, [this, job] { state_.run(job.command, job.scope); });
        connect(queue_mnu, &QMenu::aboutToShow, action,
                [this, action, job] { action->setEnabled(state_.canRun(job.command, job.scope)); });
    }
    setReDownload({});
}

void frmMain::buildStatusBar()
{
    QStatusBar* bar = Named(new QStatusBar(this), "StatusBar");
    statusPanel_ = Named(new QLabel(bar), "StatusBar_Panel1");
    statusPanel_->setMinimumWidth(260);
    bar->addWidget(statusPanel_);
    sitePanel_ = Named(new QLabel(bar), "StatusBar_Panel2");
    sitePanel_->hide();
    bar->addWidget(sitePanel_, 1);
    setStatusBar(bar);
}

void frmMain::showSiteProgress(const QString& text)
{
    sitePanel_->setText(text);
    sitePanel_->setVisible(!text.isEmpty());
}

void frmMain::connectState()
{
    connect(&state_, &MainWindowState::captionsChanged, this, &frmMain::applyCaptions);
    connect(&state_, &MainWindowState::languagesChanged, this, &frmMain::showLanguages);
    connect(&state_, &MainWindowState::statusTextChanged, statusPanel_, &QLabel::setText);
    connect(&views_, &JobViews::shownChanged, this, [this](JobViews::View view) {
        listStack_->setCurrentIndex(static_cast<int>(view));
        showShownNode();
    });
    for (const Dialog dialog :
         {Dialog::AddUrl, Dialog::SiteDownloader, Dialog::Schedule, Dialog::Settings, Dialog::About})
        setDialog(dialog, {});
}

void frmMain::applyCaptions()
{
    captions_.apply(state_);
    Label1->setText(state_.caption(QStringLiteral("Label1")));
    for (JobListModel* model : models_) {
        for (int column = 1; column <= JobListModel::kColumns; ++column)
            model->setHeaderData(column - 1, Qt::Horizontal, state_.caption(QStringLiteral("column_%1").arg(column)));
    }
    for (QTreeWidgetItemIterator item(TreeView1); *item; ++item) {
        const QString key = (*item)->data(0, Qt::UserRole).toString();
        (*item)->setText(0, state_.caption(QStringLiteral("node_") + key));
    }
}

void frmMain::showLanguages()
{
    {
        const QSignalBlocker blocker(ComboLang);
        ComboLang->clear();
        for (const LanguageList::Item& item : state_.languages().items())
            ComboLang->addItem(QIcon(QPixmap(item.picture)), item.name);
        ComboLang->setCurrentIndex(state_.languages().selected());
        ComboLang->setEnabled(ComboLang->count() > 0);
    }
    applyLayoutDirection(*this, state_.rightToLeft());
}

void frmMain::setDialog(Dialog dialog, const std::function<void()>& open)
{
    const auto action = [this](const char* control) { return findChild<QAction*>(QString::fromLatin1(control)); };
    QList<QAction*> actions;
    switch (dialog) {
    case Dialog::AddUrl: actions = {action("Add_mnu"), action("toolbar_AddUrl")}; break;
    case Dialog::SiteDownloader: actions = {action("mnu_SiteDown"), action("toolbar_AddSite")}; break;
    case Dialog::Schedule: actions = {action("mnuSchedule"), action("toolbar_Schedule")}; break;
    case Dialog::Settings: actions = {action("settings_mnu")}; break;
    case Dialog::About: actions = {action("About_mnu")}; break;
    }
    BindActionHook(this, actions, open);
}

void frmMain::setReDownload(const std::function<void(const QString& url)>& start)
{
    const QList<QAction*> actions = {findChild<QAction*>(QStringLiteral("mnu_Redown")),
                                     findChild<QAction*>(QStringLiteral("mnuReDownload"))};
    if (!start) {
        BindActionHook(this, actions, {});
        return;
    }
    BindActionHook(this, actions, [this, start] {
        const QTreeView* shown = listView(views_.shown());
        if (!shown->currentIndex().isValid())
            return;
        // A row of today's list starts again in its own row; one of the
        // history starts anew through the intake.
        const bool today = views_.shown() == JobViews::View::Downloads;
        for (const ReDownloadItem& item : ReDownloadUrls(views_.GetCurList())) {
            if (!today || !state_.restartRow(item.row, item.url))
                start(item.url);
        }
    });
}

void frmMain::showRestored()
{
    showNormal();
    raise();
    activateWindow();
}

void frmMain::putAway()
{
    if (trayAvailable_())
        hide();
    else
        showMinimized();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (state_.ended()) {
        event->accept();
        return;
    }
    // The program goes on running (and downloading) without its window.
    event->ignore();
    putAway();
}
