#include "intake/ui/frmDropTarget.h"

#include "settings/KevaContext.h"
#include "support/TestHome.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

TEST(frmDropTarget, StaysOnTop)
{
    TestHome home;
    const frmDropTarget window(home.newContext());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(frmDropTarget, ShowsDroppedTextInAPlainMessage)
{
    TestHome home;
    frmDropTarget window(home.newContext());
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
