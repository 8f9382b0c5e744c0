#pragma once

class QWidget;

// Keeps a small floating window above all others (or lets it go back).
void SetWindowTopmost(QWidget* window, bool onTop);

// Lets the window manager move a caption-less window with the mouse: call it
// from the window's mouse-press handler.
void DragWindow(QWidget* window);
