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
    // Changing the flags re-creates the native window: put it back where it was.
    window->setGeometry(geometry);
    if (visible)
        window->show();
}

void DragWindow(QWidget* window)
{
    if (window && window->windowHandle())
        window->windowHandle()->startSystemMove();
}
