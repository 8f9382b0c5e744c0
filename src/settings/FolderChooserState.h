#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Prompter;
class TextLookup;

// The folder chooser without its window: the folder it shows and the folder
// its last OK returned. One chooser serves the whole program; hiding it
// keeps both, so the next use starts where the last one ended. Its toolbar
// moves to the parent folder and makes a new folder in the shown one.
class FolderChooserState : public QObject {
    Q_OBJECT
public:
    FolderChooserState(Prompter& prompter, const TextLookup& text, QObject* parent = nullptr);

    // Captions.
    QString caption, Command1, Command2;
    // The toolbar's button texts, and the question for a new folder's name.
    QString UpOneLevelText, NewFolderText, NewFolderPrompt;
    // The selected folder's path, as the user may have edited it.
    QString txtPath;
    bool visible = false;

    // Asks for the new folder's name; nothing when the user cancels.
    std::function<std::optional<QString>()> askFolderName;

    // The folder chosen by the last OK; empty before the first.
    QString result() const { return result_; }

    // Takes the captions and shows the chooser.
    void open();
    void OK();     // Command1
    void Cancel(); // Command2

    // Toolbar: the parent of txtPath's folder; there is none above the root
    // or for a path that is not absolute.
    bool canGoUp() const;
    void UpOneLevel();
    // Asks for a name and makes that folder in txtPath's folder, which then
    // becomes the shown one. A name that cannot be made is told, and nothing
    // is changed.
    void NewFolder();

signals:
    void changed();
    // txtPath names another folder, which the tree is to show.
    void folderMoved();

private:
    // The captions and texts from the language file, the built-in ones where
    // it has none.
    void applyCaptions();
    void hide();
    void moveTo(const QString& path);
    void refuse(const QString& message) const;

    Prompter& prompter_;
    const TextLookup& text_;
    QString result_;
};
