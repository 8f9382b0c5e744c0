#include "intake/ui/frmDropTarget.h"

#include "settings/KevaContext.h"
#include "support/TestHome.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

TEST(frmDropTarget, SmallFloatingWindowAboveTheOthers)
{
    TestHome home;
    KevaContext& context = home.newContext();
    frmDropTarget window(context.prompter, context.text);
    window.show();
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool) << "no task bar entry";
    const auto* Picture1 = window.findChild<QLabel*>(QStringLiteral("Picture1"));
    ASSERT_NE(Picture1, nullptr);
    EXPECT_LE(window.width(), Picture1->width() + 8);
    EXPECT_LE(window.height(), Picture1->height() + 8);
    EXPECT_LT(window.width(), 100);
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.geometry()));
    EXPECT_GT(window.x(), screen.center().x()) << "not at the top left corner";
    EXPECT_GT(window.y(), screen.center().y());
}

TEST(frmDropTarget, LeftButtonDragMovesTheWindow)
{
    TestHome home;
    KevaContext& context = home.newContext();
    frmDropTarget window(context.prompter, context.text);
    window.show();
    const QPoint start = window.pos();
    const QPointF grip(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, grip, window.mapToGlobal(grip), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    const QPointF moved = window.mapToGlobal(grip) + QPointF(-30, -20);
    QMouseEvent move(QEvent::MouseMove, window.mapFromGlobal(moved), moved, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, window.mapFromGlobal(moved), moved, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &release);
    EXPECT_EQ(window.pos(), start + QPoint(-30, -20));
}

// Two ways to close it: the entry that opened it, and its own context menu.
struct ClosePath {
    const char* name;
    std::function<void(frmDropTarget& window)> close;
};

class frmDropTargetClose : public testing::TestWithParam<ClosePath> { };

TEST_P(frmDropTargetClose, ClosesAndOpensAgainWhereItWas)
{
    TestHome home;
    KevaContext& context = home.newContext();
    frmDropTarget window(context.prompter, context.text);
    window.toggle();
    ASSERT_TRUE(window.isVisible());
    window.move(window.pos() - QPoint(40, 40));
    const QPoint left = window.pos();

    GetParam().close(window);
    EXPECT_FALSE(window.isVisible());
    window.toggle();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), left);
}

INSTANTIATE_TEST_SUITE_P(Paths, frmDropTargetClose,
                         testing::Values(ClosePath {"EntryToggles", [](frmDropTarget& window) { window.toggle(); }},
                                         ClosePath {"ContextMenuClose",
                                                    [](frmDropTarget& window) {
                                                        QContextMenuEvent request(QContextMenuEvent::Mouse,
                                                                                  QPoint(5, 5),
                                                                                  window.mapToGlobal(QPoint(5, 5)));
                                                        QCoreApplication::sendEvent(&window, &request);
                                                        ASSERT_TRUE(window.contextMenu()->isVisible());
                                                        auto* close = window.contextMenu()->findChild<QAction*>(
                                                            QStringLiteral("close_dropmnu"));
                                                        ASSERT_NE(close, nullptr);
                                                        EXPECT_EQ(close->text(), QStringLiteral("&Close"));
                                                        close->trigger();
                                                        window.contextMenu()->hide();
                                                    }}),
                         [](const testing::TestParamInfo<ClosePath>& row) { return std::string(row.param.name); });

TEST(frmDropTarget, ShowsDroppedTextInAPlainMessage)
{
    TestHome home;
    KevaContext& context = home.newContext();
    frmDropTarget window(context.prompter, context.text);
    window.show();
    auto* Picture1 = window.findChild<QLabel*>(QStringLiteral("Picture1"));
    ASSERT_NE(Picture1, nullptr);

    QMimeData data;
    data.setText(QStringLiteral("see http://h/f.zip"));
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Picture1, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Picture1, &drop);

    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("see http://h/f.zip"));
    EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Quillspan"));
    EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::None);
    EXPECT_EQ(home.prompter.shown[0].buttons, Prompter::Buttons::Ok);
}

} // namespace
