#include <QApplication>

#include <gtest/gtest.h>

#include "support/EnvironmentProxies.h"

// Widget tests run offscreen (QT_QPA_PLATFORM=offscreen) with a full application object.
int main(int argc, char** argv)
{
    forgetEnvironmentProxies();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
