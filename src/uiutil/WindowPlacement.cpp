#include "uiutil/WindowPlacement.h"

#include <QWidget>
#include <QWindow>

void SetWindowTopmost(QWidget* window, bool onTop)
{
    if (!window)
        return;
    const bool visible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing the flags hides a shown window and re-creates it: put it back
    // where it was. A window never shown has no place yet (its geometry is a
    // placeholder); it keeps the size its layout gives it.
    if (visible) {
        window->setGeometry(geometry);
        window->show();
    }
}

bool DragWindow(QWidget* window)
{
    return window && window->windowHandle() && window->windowHandle()->startSystemMove();
}
