#include "fileshare/TerminationWatcher.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(TerminationWatcher, TermAndIntArriveOnTheEventLoop)
{
    const TerminationWatcher watcher;
    QSignalSpy requested(&watcher, &TerminationWatcher::terminationRequested);
    ::raise(SIGTERM);
    EXPECT_TRUE(requested.wait(5000));
    ::raise(SIGINT);
    EXPECT_TRUE(requested.wait(5000));
    EXPECT_EQ(requested.count(), 2);
}

} // namespace
