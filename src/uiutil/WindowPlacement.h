#pragma once

class QWidget;

// Keeps a small floating window above all others (or lets it go back).
void SetWindowTopmost(QWidget* window, bool onTop);

// Lets the window manager move a caption-less window with the mouse: call it
// from the window's mouse-press handler. False when the window manager does
// not move windows for programs: the window then follows the mouse itself.
bool DragWindow(QWidget* window);
