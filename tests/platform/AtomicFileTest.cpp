#include "platform/AtomicFile.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

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

// A process id that no process has: a child that has ended and been reaped.
qint64 endedPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

struct LeftoverCase {
    const char* name;
    std::function<QString()> fileName; // in the target's folder
    qint64 ageSeconds;
    bool removed;
};

class StaleTemporaries : public testing::TestWithParam<LeftoverCase> { };

TEST_P(StaleTemporaries, OnlyOurOwnUnheldTemporariesGo)
{
    const LeftoverCase& c = GetParam();
    TestHome home;
    const QString target = home.path(QStringLiteral("HKEY_LOCAL_MACHINE.reg"));
    home.writeFile(QStringLiteral("HKEY_LOCAL_MACHINE.reg"), "REGEDIT4\r\n");
    const QString name = c.fileName();
    const QString leftover = home.path(name);
    home.writeFile(name, QByteArray(262144, 'x'));
    QFile file(leftover);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        file.setFileTime(QDateTime::currentDateTime().addSecs(-c.ageSeconds), QFileDevice::FileModificationTime));
    file.close();

    EXPECT_EQ(AtomicFile::removeStaleTemporaries(target), c.removed ? 1 : 0);
    EXPECT_EQ(QFile::exists(leftover), !c.removed);
    EXPECT_TRUE(QFile::exists(target)) << "the file itself stays";
}

QString withPid(qint64 pid)
{
    return QStringLiteral("HKEY_LOCAL_MACHINE.reg.tmp.%1.aB3xY9").arg(pid);
}

INSTANTIATE_TEST_SUITE_P(
    Leftovers, StaleTemporaries,
    testing::Values(
        LeftoverCase {"WriterEnded", [] { return withPid(endedPid()); }, 0, true},
        LeftoverCase {"WriterRuns", [] { return withPid(::getppid()); }, 7200, false},
        LeftoverCase {"OwnWrite", [] { return withPid(::getpid()); }, 7200, false},
        LeftoverCase {"OlderFormOld", [] { return QStringLiteral("HKEY_LOCAL_MACHINE.reg.Qw3rT1"); }, 3600, true},
        LeftoverCase {"OlderFormRecent", [] { return QStringLiteral("HKEY_LOCAL_MACHINE.reg.Qw3rT1"); }, 60, false},
        LeftoverCase {"AnotherFilesTemporary",
                      [] { return QStringLiteral("HKEY_CURRENT_USER.reg.tmp.%1.aB3xY9").arg(endedPid()); }, 7200,
                      false},
        LeftoverCase {"LockFile", [] { return QStringLiteral("HKEY_LOCAL_MACHINE.reg.lock"); }, 7200, false},
        LeftoverCase {"DamagedCopy", [] { return QStringLiteral("HKEY_LOCAL_MACHINE.reg.damaged"); }, 7200, false},
        LeftoverCase {"LongerSuffix", [] { return QStringLiteral("HKEY_LOCAL_MACHINE.reg.backup1"); }, 7200, false}),
    CaseName());

} // namespace
