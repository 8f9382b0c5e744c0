#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

// Where a new window of a kind opens: a step right of and below the last one
// of its kind, on the screen that holds the program's main window, and
// always wholly on that screen; when the cascade would leave it, it starts
// again at the screen's top left.
class WindowCascade {
public:
    static constexpr int kStep = 24;

    // The top left for a window of `size` inside `available`, after `previous`.
    static QPoint next(const QRect& available, const std::optional<QRect>& previous, const QSize& size);

    // Moves `window` (not shown yet) after `previous`, on the screen of `anchor`
    // (the main window), or of the primary screen without one.
    static void place(QWidget* window, const QWidget* previous, const QWidget* anchor);
};
