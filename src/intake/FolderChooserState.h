#pragma once

#include <QObject>
#include <QString>

class KevaContext;

// The folder chooser without its window: the folder it shows and the folder
// its last OK returned. One chooser serves the whole program; hiding it
// keeps both, so the next use starts where the last one ended.
class FolderChooserState : public QObject {
    Q_OBJECT
public:
    explicit FolderChooserState(const KevaContext& context, QObject* parent = nullptr);

    // Captions.
    QString caption, Command1, Command2;
    // The selected folder's path, as the user may have edited it.
    QString txtPath;
    bool visible = false;

    // The folder chosen by the last OK; empty before the first.
    QString result() const { return result_; }

    // Takes the captions and shows the chooser.
    void open();
    void OK();     // Command1
    void Cancel(); // Command2

signals:
    void changed();

private:
    void hide();

    const KevaContext& context_;
    QString result_;
};
