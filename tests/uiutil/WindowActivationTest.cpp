#include "uiutil/WindowActivation.h"

#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Gives `window` the focus, as a click on it would.
bool focus(QWidget& window)
{
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

class WindowActivationTest : public testing::Test {
protected:
    void SetUp() override
    {
        other.show();
        watched.show();
        new WindowActivation(&watched, [this] { ++activations; });
        ASSERT_TRUE(focus(watched));
        activations = 0;
    }

    QWidget other;
    QWidget watched;
    int activations = 0;
};

TEST_F(WindowActivationTest, ComingBackFromAnotherWindowOfTheProgramCounts)
{
    ASSERT_TRUE(focus(other));
    EXPECT_EQ(activations, 0);
    ASSERT_TRUE(focus(watched));
    EXPECT_EQ(activations, 1);
    ASSERT_TRUE(focus(watched));
    EXPECT_EQ(activations, 1) << "staying active is no new activation";
}

TEST_F(WindowActivationTest, ComingBackFromItsOwnDialogOrAMessageBoxDoesNot)
{
    QDialog own(&watched);
    own.show();
    ASSERT_TRUE(focus(own));
    ASSERT_TRUE(focus(watched));
    QMessageBox message(QMessageBox::Warning, QStringLiteral("Quillspan"), QStringLiteral("text"));
    message.show();
    ASSERT_TRUE(focus(message));
    ASSERT_TRUE(focus(watched));
    EXPECT_EQ(activations, 0);
}

} // namespace
