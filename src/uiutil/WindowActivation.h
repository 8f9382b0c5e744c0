#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;
class QWindow;

// A window's activation, the moment its caption routine runs: each time the
// window gets the focus back from another window of the program, such as the
// main window or a download window. Coming back from another program, from a
// message box, or from a dialog the window opened itself is no activation, so
// the routine never undoes what such a question or dialog just changed.
class WindowActivation : public QObject {
    Q_OBJECT
public:
    // Calls `activated` on each activation of `window`, for as long as it lives.
    WindowActivation(QWidget* window, std::function<void()> activated);

private:
    void focusMoved(QWindow* now);
    // A message box, or a window that `window_` opened (directly or not).
    bool belongsToWindow(QWindow* other) const;

    QWidget* window_;
    std::function<void()> activated_;
    // The window of the program that had the focus after this one.
    QPointer<QWindow> cameFrom_;
};
