#include "uiutil/WindowCascade.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint WindowCascade::next(const QRect& available, const std::optional<QRect>& previous, const QSize& size)
{
    const QPoint start = available.topLeft() + QPoint(kStep, kStep);
    QPoint at = previous && available.contains(previous->topLeft()) ? previous->topLeft() + QPoint(kStep, kStep)
                                                                    : start;
    if (at.x() + size.width() > available.x() + available.width()
        || at.y() + size.height() > available.y() + available.height())
        at = start;
    // A window larger than the screen keeps its top left on it.
    at.setX(
        std::clamp(at.x(), available.x(), std::max(available.x(), available.x() + available.width() - size.width())));
    at.setY(
        std::clamp(at.y(), available.y(), std::max(available.y(), available.y() + available.height() - size.height())));
    return at;
}

void WindowCascade::place(QWidget* window, const QWidget* previous, const QWidget* anchor)
{
    const QScreen* screen = anchor && anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->adjustSize();
    // The frame the window manager adds is not known before the window shows:
    // room for a title bar and borders is kept.
    const QSize framed = window->size() + QSize(16, 40);
    const std::optional<QRect> last = previous ? std::optional<QRect>(previous->frameGeometry()) : std::nullopt;
    window->move(next(screen->availableGeometry(), last, framed));
}
