#include "uiutil/WindowPlacement.h"

#include <QVBoxLayout>
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
    EXPECT_FALSE(DragWindow(nullptr));
}

// A window made topmost before it is first shown keeps the size of its
// contents, not the placeholder geometry of a window that was never shown.
TEST(WindowPlacement, TopmostBeforeTheFirstShowKeepsTheContentsSize)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QWidget(&window);
    picture->setFixedSize(48, 48);
    layout->addWidget(picture);
    SetWindowTopmost(&window, true);
    window.show();
    EXPECT_EQ(window.size(), QSize(48, 48));
    EXPECT_FALSE(window.testAttribute(Qt::WA_Moved)) << "placed at the top left corner";
}

} // namespace
