#pragma once

#include <QDialog>

class FolderChooserState;
class QAction;
class TextLookup;
class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QToolBar;
class QTreeView;

// The folder chooser: a view over the FolderChooserState with a folder tree,
// a selector of places linked to it both ways, a toolbar acting on the tree
// (up one level, new folder) and the path of the selected folder, which the
// user may edit. OK and Cancel hide it; the program keeps one and shows it
// again, so it opens where it was left.
class frmDir : public QDialog {
    Q_OBJECT
public:
    frmDir(const TextLookup& text, FolderChooserState& state, QWidget* parent = nullptr);
    ~frmDir() override;

    // Shows the chooser modally and returns the state's result afterwards:
    // the folder of this OK, or the previous result after a Cancel.
    QString choose();

public slots:
    // Escape and the caption bar's close button cancel.
    void reject() override;

private:
    void refresh();
    void goTo(const QString& path);
    void showFolder(const QModelIndex& folder);
    void buildToolbar();

    const TextLookup& text_;
    FolderChooserState& state_;

    QFileSystemModel* folders_ = nullptr;
    QComboBox* lstDrive = nullptr;
    QToolBar* asxToolbar1 = nullptr;
    QAction* UpOneLevel = nullptr;
    QAction* NewFolder = nullptr;
    QTreeView* lstDir = nullptr;
    QLineEdit* txtPath = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};
