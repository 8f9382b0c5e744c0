#include "uiutil/frmDir.h"

#include "core/TextLookup.h"
#include "settings/FolderChooserState.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

frmDir::frmDir(const TextLookup& text, FolderChooserState& state, QWidget* parent)
    : QDialog(parent)
    , text_(text)
    , state_(state)
{
    setObjectName(QStringLiteral("frmDir"));

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setRootPath(QDir::rootPath());

    lstDrive = new QComboBox(this);
    lstDrive->setObjectName(QStringLiteral("lstDrive"));
    lstDrive->addItems({QDir::rootPath(), QDir::homePath()});
    lstDir = new QTreeView(this);
    lstDir->setObjectName(QStringLiteral("lstDir"));
    lstDir->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        lstDir->hideColumn(column);
    lstDir->header()->hide();
    lstDir->setMinimumSize(320, 280);
    txtPath = new QLineEdit(this);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));

    buildToolbar();

    connect(lstDrive, &QComboBox::textActivated, this, &frmDir::goTo);
    connect(lstDir->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { showFolder(current); });
    connect(txtPath, &QLineEdit::textEdited, this, [this](const QString& typed) {
        state_.txtPath = typed;
        UpOneLevel->setEnabled(state_.canGoUp());
    });
    connect(Command1, &QPushButton::clicked, &state_, &FolderChooserState::OK);
    connect(Command2, &QPushButton::clicked, &state_, &FolderChooserState::Cancel);
    connect(&state_, &FolderChooserState::changed, this, &frmDir::refresh);
    connect(&state_, &FolderChooserState::folderMoved, this, [this] {
        txtPath->setText(state_.txtPath);
        UpOneLevel->setEnabled(state_.canGoUp());
        goTo(state_.txtPath);
    });

    auto* page = new QVBoxLayout(this);
    page->addWidget(asxToolbar1);
    page->addWidget(lstDrive);
    page->addWidget(lstDir, 1);
    page->addWidget(txtPath);
    page->addLayout(DialogLayout::buttonRow({Command1, Command2}));

    goTo(state_.txtPath.isEmpty() ? QDir::homePath() : state_.txtPath);
    refresh();
}

frmDir::~frmDir()
{
    // The state outlives the window; its question must not reach a window that is gone.
    state_.askFolderName = {};
}

void frmDir::buildToolbar()
{
    asxToolbar1 = new QToolBar(this);
    asxToolbar1->setObjectName(QStringLiteral("asxToolbar1"));
    asxToolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    UpOneLevel = asxToolbar1->addAction(style()->standardIcon(QStyle::SP_FileDialogToParent), QString());
    UpOneLevel->setObjectName(QStringLiteral("UpOneLevel"));
    NewFolder = asxToolbar1->addAction(style()->standardIcon(QStyle::SP_FileDialogNewFolder), QString());
    NewFolder->setObjectName(QStringLiteral("NewFolder"));
    connect(UpOneLevel, &QAction::triggered, &state_, &FolderChooserState::UpOneLevel);
    connect(NewFolder, &QAction::triggered, &state_, &FolderChooserState::NewFolder);
    state_.askFolderName = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString name = QInputDialog::getText(this, state_.NewFolderText, state_.NewFolderPrompt,
                                                   QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return name;
    };
}

QString frmDir::choose()
{
    state_.open();
    exec();
    return state_.result();
}

void frmDir::reject()
{
    state_.Cancel();
}

void frmDir::goTo(const QString& path)
{
    const QModelIndex folder = folders_->index(path);
    // A folder that is not there (a path the user typed) leaves the tree where it is.
    if (!folder.isValid())
        return;
    lstDir->setCurrentIndex(folder);
    lstDir->scrollTo(folder);
}

void frmDir::showFolder(const QModelIndex& folder)
{
    const QString path = folders_->filePath(folder);
    state_.txtPath = path;
    txtPath->setText(path);
    // The selector shows the place the folder lies in: the deepest one that holds it.
    int deepest = -1;
    for (int place = 0; place < lstDrive->count(); ++place) {
        const QString root = lstDrive->itemText(place);
        const bool holds = path == root
            || path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
        if (holds && (deepest < 0 || root.size() > lstDrive->itemText(deepest).size()))
            deepest = place;
    }
    lstDrive->setCurrentIndex(deepest);
    UpOneLevel->setEnabled(state_.canGoUp());
}

void frmDir::refresh()
{
    applyLayoutDirection(*this, text_.rightToLeft());
    setWindowTitle(state_.caption);
    UpOneLevel->setText(state_.UpOneLevelText);
    NewFolder->setText(state_.NewFolderText);
    UpOneLevel->setEnabled(state_.canGoUp());
    Command1->setText(state_.Command1);
    Command2->setText(state_.Command2);
    txtPath->setText(state_.txtPath);
    if (!state_.visible)
        hide();
}
