#pragma once

#include "mainwin/JobViews.h"
#include "mainwin/ui/CaptionedControls.h"

#include <QItemSelection>
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>

class JobListModel;
class MainWindowState;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

// The main window: the view tree, the five lists, the main menu, the toolbar
// and the status bar, over MainWindowState and JobViews. It turns clicks into
// their commands and shows what they hold; it keeps nothing else.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Whether the desktop has a notification area to hide the window in.
    using TrayAvailable = std::function<bool()>;
    // The dialogs that other parts bring; their entries are disabled until set.
    enum class Dialog { AddUrl, SiteDownloader, Schedule, Settings, About };

    frmMain(MainWindowState& state, JobViews& views, TrayAvailable trayAvailable, QWidget* parent = nullptr);

    void setDialog(Dialog dialog, const std::function<void()>& open);
    // Starts one address of the re-download command; the entries are
    // disabled until set.
    void setReDownload(const std::function<void(const QString& url)>& start);

    QTreeView* listView(JobViews::View view) const { return lists_[static_cast<std::size_t>(view)]; }
    JobListModel* listModel(JobViews::View view) const { return models_[static_cast<std::size_t>(view)]; }

    // Shows how far a site download has come in the status bar; an empty
    // text hides the panel.
    void showSiteProgress(const QString& text);

    // Brings the window back: shown, normal size, active.
    void showRestored();
    // Hides the window when a tray can bring it back, else minimises it.
    void putAway();

    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kGraphMs = 250;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr std::size_t kViews = 5;

    void buildMenus();
    void buildToolbar();
    void buildTree();
    // Makes the node that names the shown list the tree's current one.
    void showShownNode();
    void buildLists();
    void buildQueueMenu();
    void buildStatusBar();
    void connectState();
    QTreeView* makeList(JobViews::View view, const char* name);
    void applyCaptions();
    // Fills the language picker and lays the window out in the language's
    // direction.
    void showLanguages();
    void showSelection(JobViews::View view);
    void viewSelectionChanged(JobViews::View view, const QItemSelection& selected, const QItemSelection& deselected);
    void focusShown();

    MainWindowState& state_;
    JobViews& views_;
    TrayAvailable trayAvailable_;
    // True while the window itself changes a view's selection, or a model
    // moves rows: those changes are not the user's.
    bool syncingSelection_ = false;

    QTimer tmrGraph;
    QTreeWidget* TreeView1 = nullptr;
    QStackedWidget* listStack_ = nullptr;
    std::array<QTreeView*, kViews> lists_ {};
    std::array<JobListModel*, kViews> models_ {};
    QMenu* queue_mnu = nullptr;
    QToolBar* asxToolbar1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboLang = nullptr;
    QLabel* statusPanel_ = nullptr;
    QLabel* sitePanel_ = nullptr;
    CaptionedControls captions_;
};
