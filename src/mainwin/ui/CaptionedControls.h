#pragma once

#include <QList>

class MainWindowState;
class QAction;
class QMenu;

// The menu entries and menus of a window whose texts are the state's
// captions, each found by its control name.
class CaptionedControls {
public:
    QAction* add(QAction* action, const char* control);
    QMenu* add(QMenu* menu, const char* control);
    // Sets every text to the state's caption of its control.
    void apply(const MainWindowState& state) const;

private:
    QList<QAction*> actions_;
    QList<QMenu*> menus_;
};
