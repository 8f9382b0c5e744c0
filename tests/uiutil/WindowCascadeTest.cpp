#include "uiutil/WindowCascade.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

// A 1000 px high screen below a 30 px panel, and a 500 x 300 window.
const QRect kScreen(0, 30, 1600, 970);
const QSize kWindow(500, 300);

struct CascadeCase {
    const char* name;
    std::optional<QRect> previous;
    QSize size;
    QPoint expected;
};

class WindowCascadeNext : public testing::TestWithParam<CascadeCase> { };

TEST_P(WindowCascadeNext, StaysWhollyOnTheScreen)
{
    const CascadeCase& c = GetParam();
    const QPoint at = WindowCascade::next(kScreen, c.previous, c.size);
    EXPECT_EQ(at, c.expected);
    EXPECT_TRUE(kScreen.contains(QRect(at, c.size)) || c.size.height() > kScreen.height());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowCascadeNext,
    testing::Values(CascadeCase {"FirstNearTheTopLeft", std::nullopt, kWindow, {24, 54}},
                    CascadeCase {"NextAStepOn", QRect(100, 200, 500, 300), kWindow, {124, 224}},
                    CascadeCase {"OffTheBottomStartsAgain", QRect(100, 680, 500, 300), kWindow, {24, 54}},
                    CascadeCase {"OffTheRightStartsAgain", QRect(1090, 200, 500, 300), kWindow, {24, 54}},
                    CascadeCase {"PreviousOnAnotherScreen", QRect(-900, 200, 500, 300), kWindow, {24, 54}},
                    CascadeCase {"TallerThanTheScreenKeepsItsTop", std::nullopt, QSize(500, 2000), {24, 30}}),
    CaseName());

} // namespace
