#include <QCoreApplication>

#include <gtest/gtest.h>

#include "support/EnvironmentProxies.h"

// Tests run with a Qt application object, so that event loops, timers and
// socket notifiers work; each test runs the loop itself when it needs it.
int main(int argc, char** argv)
{
    forgetEnvironmentProxies();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
