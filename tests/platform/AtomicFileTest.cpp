#include "platform/AtomicFile.h"

#include "support/TestHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(AtomicFile, ReplacesContentAndKeepsPermissions)
{
    TestHome home;
    const QString path = home.path(QStringLiteral("file.txt"));
    ASSERT_TRUE(AtomicFile::write(path, "first", 0600));
    EXPECT_EQ(QFile::permissions(path) & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    ASSERT_TRUE(AtomicFile::write(path, "second, longer"));
    EXPECT_EQ(home.readFile(QStringLiteral("file.txt")), QByteArray("second, longer"));
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::ReadGroup);
    EXPECT_EQ(QDir(home.path(QString())).entryList(QDir::Files), QStringList {QStringLiteral("file.txt")});
}

TEST(AtomicFile, AFailedWriteLeavesNothingBehind)
{
    TestHome home;
    EXPECT_FALSE(AtomicFile::write(home.path(QStringLiteral("missing/folder/file.txt")), "x"));

    // A folder standing where the file should be cannot be replaced by a file.
    QDir().mkpath(home.path(QStringLiteral("taken")));
    EXPECT_FALSE(AtomicFile::write(home.path(QStringLiteral("taken")), "x"));
    EXPECT_TRUE(QFileInfo(home.path(QStringLiteral("taken"))).isDir());
    EXPECT_TRUE(QDir(home.path(QString())).entryList(QDir::Files).isEmpty());
}

} // namespace
