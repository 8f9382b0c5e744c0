#include "mainwin/ui/frmPowerCountdown.h"

#include "mainwin/PowerCountdown.h"
#include "settings/KevaContext.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The window over a countdown of 3 seconds, ticked by the test.
class frmPowerCountdownTest : public testing::Test {
protected:
    void SetUp() override
    {
        countdown = new PowerCountdown(QStringLiteral("Asleep in %1 seconds."), 3);
        QObject::connect(countdown, &PowerCountdown::due, [this] { ++acted; });
        window = frmPowerCountdown::showFor(home.newContext().text, *countdown);
        countdown->start();
    }
    void TearDown() override
    {
        delete window.data();
        delete countdown.data();
    }
    QString shown() const { return window->findChild<QLabel*>(QStringLiteral("lblCountdown"))->text(); }
    void click(const char* button) const
    {
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    }
    // Lets the window and the countdown go that were closed or deleted later.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TestHome home;
    QPointer<PowerCountdown> countdown;
    QPointer<frmPowerCountdown> window;
    int acted = 0;
};

TEST_F(frmPowerCountdownTest, CountsDownAndActsAtZero)
{
    EXPECT_EQ(shown(), QStringLiteral("Asleep in 3 seconds."));
    countdown->tick();
    EXPECT_EQ(shown(), QStringLiteral("Asleep in 2 seconds."));
    countdown->tick();
    countdown->tick();
    EXPECT_EQ(acted, 1);
    settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(countdown.isNull());
}

// A button (none: the Escape key) and whether the machine is acted on.
struct EndCase {
    const char* name;
    const char* button;
    int acts;
};

class frmPowerCountdownEnd : public frmPowerCountdownTest, public testing::WithParamInterface<EndCase> { };

TEST_P(frmPowerCountdownEnd, CancelOrEscapeStopsItAndNowActsAtOnce)
{
    const EndCase& c = GetParam();
    if (*c.button)
        click(c.button);
    else
        QTest::keyClick(window.data(), Qt::Key_Escape);
    EXPECT_EQ(acted, c.acts);
    for (int second = 0; second < 3; ++second)
        countdown->tick();
    EXPECT_EQ(acted, c.acts) << "the count is over";
    settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(countdown.isNull());
}

INSTANTIATE_TEST_SUITE_P(Ends, frmPowerCountdownEnd,
                         testing::Values(EndCase {"Cancel", "cmdCancel", 0}, EndCase {"Escape", "", 0},
                                         EndCase {"Now", "cmdNow", 1}),
                         CaseName());

} // namespace
