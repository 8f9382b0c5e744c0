#include "platform/InstanceLock.h"

#include "support/TestHome.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>

namespace {

// flock locks belong to the open file, so a second lock in the same process
// stands for a second copy of the program.
TEST(InstanceLock, ASecondCopyFindsTheLockHeldUntilTheFirstEnds)
{
    const TestHome home;
    std::optional<InstanceLock> first(std::in_place, QStringLiteral("oneCopy"));
    EXPECT_FALSE(first->heldElsewhere());
    EXPECT_TRUE(QFileInfo::exists(home.runtimeFolder() + QStringLiteral("/oneCopy.lock")));
    EXPECT_TRUE(InstanceLock(QStringLiteral("oneCopy")).heldElsewhere());
    EXPECT_FALSE(InstanceLock(QStringLiteral("another")).heldElsewhere());
    first.reset();
    EXPECT_FALSE(InstanceLock(QStringLiteral("oneCopy")).heldElsewhere());
}

} // namespace
