#pragma once

#include <QWidget>

class KevaContext;

// The drop target: a small caption-less window that stays above all others.
// Text dropped on its picture is shown in a message box; a mouse press
// anywhere on it moves the window.
class frmDropTarget : public QWidget {
    Q_OBJECT
public:
    explicit frmDropTarget(const KevaContext& context, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
