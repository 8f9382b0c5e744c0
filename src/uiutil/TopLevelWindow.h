#pragma once

#include <QApplication>
#include <QWidget>

// The windows that show one object each (a job, a dialog's state) find the
// window already open for it, and come to the front when asked for again.
class TopLevelWindow {
public:
    // The last top-level window of type Window that `matches`, or nullptr.
    template <typename Window, typename Match> static Window* find(Match matches)
    {
        Window* found = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* candidate = qobject_cast<Window*>(widget);
            if (candidate && matches(*candidate))
                found = candidate;
        }
        return found;
    }

    // Shows the window in front of the others, with the focus.
    static void bringForward(QWidget* window)
    {
        window->show();
        window->raise();
        window->activateWindow();
    }
};
