#include "uiutil/WindowActivation.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

WindowActivation::WindowActivation(QWidget* window, std::function<void()> activated)
    : QObject(window)
    , window_(window)
    , activated_(std::move(activated))
{
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &WindowActivation::focusMoved);
}

void WindowActivation::focusMoved(QWindow* now)
{
    if (!now)
        return; // another program has the focus
    if (now != window_->windowHandle()) {
        cameFrom_ = now;
        return;
    }
    const bool fromOtherWindow = cameFrom_ && !belongsToWindow(cameFrom_);
    cameFrom_ = nullptr;
    if (fromOtherWindow)
        activated_();
}

bool WindowActivation::belongsToWindow(QWindow* other) const
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == other && qobject_cast<QMessageBox*>(widget))
            return true;
    }
    for (const QWindow* parent = other->transientParent(); parent; parent = parent->transientParent()) {
        if (parent == window_->windowHandle())
            return true;
    }
    return false;
}
