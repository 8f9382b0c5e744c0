#include "fileshare/ui/CMainFrame.h"

#include "fileshare/engine/LogForwarder.h"
#include "fileshare/state/RunningVantrel.h"
#include "fileshare/state/VantrelState.h"
#include "platform/MessageWindow.h"
#include "platform/ShellOpener.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

namespace {

struct Command {
    int id;
    const char* text;
    QStyle::StandardPixmap icon;
};

constexpr Command kCommands[] = {
    {32775, "Add directory to distribute.", QStyle::SP_FileDialogNewFolder},
    {32776, "Delete distribution directory.", QStyle::SP_TrashIcon},
    {32779, "Start the server.", QStyle::SP_MediaPlay},
    {32780, "Stop the server.", QStyle::SP_MediaStop},
    {32781, "Hide the window.", QStyle::SP_TitleBarMinButton},
    {32784, "Clear the log window.", QStyle::SP_DialogResetButton},
};

const char* const kCommandId = "commandId";

// The tray's 16×16 icon: a folder-coloured square with a network arc.
QIcon trayIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0xE8, 0xB0, 0x30));
    painter.setPen(QColor(0x80, 0x60, 0x10));
    painter.drawRoundedRect(1, 4, 14, 11, 2, 2);
    painter.setPen(QPen(QColor(0x20, 0x50, 0xA0), 2));
    painter.drawArc(4, 7, 8, 8, 30 * 16, 120 * 16);
    return QIcon(pixmap);
}

// The help command's icon: a white question mark on a blue disc, drawn here
// because icon themes differ (some have no help icon, and the style's
// stand-in reads as a red cross).
QIcon helpIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x10, 0x40, 0x90), size / 16.0));
        painter.setBrush(QColor(0x30, 0x70, 0xD0));
        painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(size * 3 / 4);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString withoutCarriageReturns(QString text)
{
    return text.remove(QLatin1Char('\r'));
}

} // namespace

CMainFrame::CMainFrame(VantrelState& state, ShellOpener& shell, QWidget* parent)
    : QMainWindow(parent)
    , state_(state)
    , shell_(shell)
{
    setWindowTitle(QString::fromLatin1(VantrelState::kTitle));
    setWindowIcon(trayIcon());
    buildPanes();
    buildToolBars();
    statusBar()->showMessage(QStringLiteral("Ready"));

    receiver_ = new MessageWindow(QString::fromLatin1(VantrelState::kReceiverCaption), this);
    receiver_->setHandler([this](const WindowMessage& message) -> qint64 {
        switch (message.message) {
        case LogForwarder::kLogReady: state_.logReady(); return 1;
        case RunningVantrel::kShowWindow:
            // Shown after the sender got its answer: raising a window may
            // wait on the window system.
            QTimer::singleShot(0, this, &CMainFrame::showRestored);
            return 1;
        default: return 0;
        }
    });
    receiver_->listen();
    buildTray();

    connect(&state_, &VantrelState::foldersChanged, this, &CMainFrame::showFolders);
    connect(&state_, &VantrelState::runningChanged, this, &CMainFrame::showRunning);
    connect(&state_, &VantrelState::logAppended, this, &CMainFrame::showLogAppended);
    connect(&state_, &VantrelState::logReset, this, &CMainFrame::showLogReset);
    connect(&state_, &VantrelState::portTextChanged, this, [this] {
        if (portBox_->text() != state_.portText())
            portBox_->setText(state_.portText());
    });
    connect(&state_, &VantrelState::sitePageReady, this, [this](const QString& path) {
        // Every start rewrites the page under the same name, and the view
        // does not load a source it already shows: that one is reloaded.
        const QUrl page = QUrl::fromLocalFile(path);
        if (pageView_->source() == page)
            pageView_->reload();
        else
            pageView_->setSource(page);
        raise();
        activateWindow();
    });
    showFolders();
    showLogReset();
    showRunning();
    resize(900, 560);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::buildToolBars()
{
    QToolBar* tools = addToolBar(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("toolBar"));
    for (const Command& command : kCommands) {
        QAction* action = tools->addAction(style()->standardIcon(command.icon), QString::fromLatin1(command.text));
        action->setToolTip(QString::fromLatin1(command.text));
        action->setStatusTip(QString::fromLatin1(command.text));
        action->setProperty(kCommandId, command.id);
    }
    connect(command(32775), &QAction::triggered, this, [this] { state_.addFolder(selectedFolder()); });
    connect(command(32776), &QAction::triggered, this, [this] {
        const QList<QTreeWidgetItem*> selected = publishedList_->selectedItems();
        state_.deleteFolder(selected.isEmpty() ? -1 : publishedList_->indexOfTopLevelItem(selected.first()));
    });
    connect(command(32779), &QAction::triggered, this, [this] { state_.start(); });
    connect(command(32780), &QAction::triggered, this, [this] { state_.stop(); });
    connect(command(32781), &QAction::triggered, this, [this] {
        // Without a tray to restore from, the window is only minimised.
        if (QSystemTrayIcon::isSystemTrayAvailable())
            hide();
        else
            showMinimized();
    });
    connect(command(32784), &QAction::triggered, this, [this] { state_.clearLog(); });
    QAction* help = tools->addAction(helpIcon(), QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("helpCommand"));
    help->setToolTip(QStringLiteral("Open the help."));
    help->setStatusTip(help->toolTip());
    connect(help, &QAction::triggered, this, [this] { state_.help(); });

    addToolBarBreak();
    QToolBar* band = addToolBar(QStringLiteral("Port"));
    band->setObjectName(QStringLiteral("toolBand"));
    band->addWidget(new QLabel(QStringLiteral(" Port: "), band));
    portBox_ = new QLineEdit(state_.portText(), band);
    portBox_->setObjectName(QStringLiteral("portBox"));
    portBox_->setMaxLength(VantrelState::kMaxPortCharacters);
    portBox_->setFixedWidth(portBox_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    band->addWidget(portBox_);
    statusLabel_ = new QLabel(band);
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setContentsMargins(12, 0, 0, 0);
    band->addWidget(statusLabel_);
    connect(portBox_, &QLineEdit::textEdited, &state_, &VantrelState::setPortText);
}

void CMainFrame::buildPanes()
{
    columns_ = new QSplitter(Qt::Horizontal, this);
    columns_->setChildrenCollapsible(false);

    folderModel_ = new QFileSystemModel(this);
    folderModel_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    folderModel_->setRootPath(QStringLiteral("/"));
    folderTree_ = new QTreeView(columns_);
    folderTree_->setObjectName(QStringLiteral("folderTree"));
    folderTree_->setModel(folderModel_);
    for (int column = 1; column < folderModel_->columnCount(); ++column)
        folderTree_->hideColumn(column);
    folderTree_->setHeaderHidden(true);
    selectFolder(QDir::homePath());

    middle_ = new QSplitter(Qt::Vertical, columns_);
    middle_->setChildrenCollapsible(false);
    publishedList_ = new QTreeWidget(middle_);
    publishedList_->setObjectName(QStringLiteral("publishedList"));
    publishedList_->setRootIsDecorated(false);
    publishedList_->setHeaderLabels({QStringLiteral("Directories to distributed"), QStringLiteral("Alias name")});
    publishedList_->setColumnWidth(0, 200);
    publishedList_->setColumnWidth(1, 300);
    connect(publishedList_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (publishedList_->selectedItems().size() == 1)
            state_.openFolder(publishedList_->indexOfTopLevelItem(item));
    });
    pageView_ = new QTextBrowser(middle_);
    pageView_->setObjectName(QStringLiteral("pageView"));
    pageView_->setOpenLinks(false);
    connect(pageView_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { shell_.open(url.toString()); });
    middle_->setMinimumSize(1, 1);
    pageView_->setMinimumHeight(1);

    logView_ = new QPlainTextEdit(columns_);
    logView_->setObjectName(QStringLiteral("logView"));
    logView_->setReadOnly(true);
    logView_->setLineWrapMode(QPlainTextEdit::NoWrap);

    setCentralWidget(columns_);
}

void CMainFrame::buildTray()
{
    tray_ = new QSystemTrayIcon(trayIcon(), this);
    tray_->setToolTip(QStringLiteral("Kel Vantrel"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            showRestored();
    });
    tray_->show();
}

QAction* CMainFrame::command(int id) const
{
    for (QAction* action : findChildren<QAction*>()) {
        if (action->property(kCommandId).toInt() == id)
            return action;
    }
    return nullptr;
}

QString CMainFrame::selectedFolder() const
{
    const QModelIndex current = folderTree_->currentIndex();
    return current.isValid() ? folderModel_->filePath(current) : QString();
}

void CMainFrame::selectFolder(const QString& path)
{
    const QModelIndex index = folderModel_->index(path);
    folderTree_->setCurrentIndex(index);
    folderTree_->scrollTo(index);
}

bool CMainFrame::receiverListening() const
{
    return receiver_->isListening();
}

void CMainFrame::showFolders()
{
    publishedList_->clear();
    const PublishedFolderList& folders = state_.folders();
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    for (int row = 0; row < folders.count(); ++row) {
        auto* item = new QTreeWidgetItem(publishedList_, {folders.path(row), folders.alias(row)});
        item->setIcon(0, icon);
    }
}

void CMainFrame::showRunning()
{
    portBox_->setReadOnly(state_.running());
    statusLabel_->setText(state_.statusText());
    applyLayout();
}

void CMainFrame::showLogAppended(const QString& piece, int removedLines)
{
    QTextCursor end(logView_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(withoutCarriageReturns(piece));
    // The state dropped the oldest lines after the header once the piece was in.
    if (removedLines > 0) {
        QTextCursor oldest(logView_->document()->findBlockByNumber(1));
        oldest.setPosition(logView_->document()->findBlockByNumber(removedLines + 1).position(),
                           QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
    end.movePosition(QTextCursor::End);
    logView_->setTextCursor(end);
    logView_->ensureCursorVisible();
}

void CMainFrame::showLogReset()
{
    logView_->setPlainText(withoutCarriageReturns(state_.log().text()));
    logView_->moveCursor(QTextCursor::End);
}

void CMainFrame::applyLayout()
{
    // The splitters get sizes that fill them exactly, so they keep them
    // instead of scaling them to shares. The middle column is as high as the
    // columns (its own height may not be updated yet).
    const auto room = [](const QSplitter* splitter, int length) {
        return length - (splitter->count() - 1) * splitter->handleWidth();
    };
    const QRect area = columns_->contentsRect();
    const PaneLayout layout =
        state_.layout(width(), height()).fittedTo(room(columns_, area.width()), room(middle_, area.height()));
    columns_->setSizes({layout.columns[0], layout.columns[1], layout.columns[2]});
    middle_->setSizes({layout.rows[0], layout.rows[1]});
}

void CMainFrame::showRestored()
{
    // A maximised window comes back maximised.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    state_.closing();
    tray_->hide();
    event->accept();
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyLayout();
}
