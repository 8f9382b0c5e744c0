#pragma once

#include <QPoint>
#include <QWidget>

class Prompter;
class QMenu;
class TextLookup;

// The drop target: a small caption-less window, the size of its picture,
// that stays above all others. Text dropped on its picture is shown in a
// message box; a press of the left button anywhere on it moves the window;
// its context menu closes it. The tray entry that opens it closes it again.
class frmDropTarget : public QWidget {
    Q_OBJECT
public:
    frmDropTarget(Prompter& prompter, const TextLookup& text, QWidget* parent = nullptr);

    // The tray entry: shows the window when it is hidden, hides it when shown.
    void toggle();

    // The context menu, with its one entry "&Close".
    QMenu* contextMenu() const { return menu_; }

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* menu_ = nullptr;
    bool placed_ = false;
    // Where the window manager does not move windows for programs, the
    // window follows the mouse from here (the press, within the window).
    bool following_ = false;
    QPoint grip_;
};
