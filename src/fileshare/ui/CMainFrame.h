#pragma once

#include <QMainWindow>

class MessageWindow;
class QAction;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QSystemTrayIcon;
class QTextBrowser;
class QTreeView;
class QTreeWidget;
class ShellOpener;
class VantrelState;

// Vantrel's main window, a view over VantrelState: the tool bar and tool
// band, the folder tree, the published folders over the site page, the log,
// the tray icon and the hidden receiver "vantrelrecdlg" of the engine's log
// messages and of a second start's request for the window.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(VantrelState& state, ShellOpener& shell, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Tool-bar commands by their ids: 32775 add, 32776 delete, 32779 start,
    // 32780 stop, 32781 hide, 32784 clear log.
    QAction* command(int id) const;
    // The folder picked in the tree, or empty.
    QString selectedFolder() const;
    void selectFolder(const QString& path);
    // Whether the receiver window could be registered.
    bool receiverListening() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildToolBars();
    void buildPanes();
    void buildTray();
    void showFolders();
    void showRunning();
    void showLogAppended(const QString& piece, int removedLines);
    void showLogReset();
    void applyLayout();
    // Shows the window, hidden or minimised, in front: from the tray, or
    // asked by a second start.
    void showRestored();

    VantrelState& state_;
    ShellOpener& shell_;
    QSplitter* columns_ = nullptr;
    QSplitter* middle_ = nullptr;
    QTreeView* folderTree_ = nullptr;
    QFileSystemModel* folderModel_ = nullptr;
    QTreeWidget* publishedList_ = nullptr;
    QTextBrowser* pageView_ = nullptr;
    QPlainTextEdit* logView_ = nullptr;
    QLineEdit* portBox_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    MessageWindow* receiver_ = nullptr;
};
