#include "uiutil/WindowPlacement.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacement, TopmostComesAndGoesWithoutMovingTheWindow)
{
    QWidget window;
    window.setGeometry(40, 50, 200, 100);
    window.show();

    SetWindowTopmost(&window, true);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), QRect(40, 50, 200, 100));

    SetWindowTopmost(&window, false);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible());

    SetWindowTopmost(nullptr, true); // no window, no harm
    DragWindow(nullptr);
}

} // namespace
