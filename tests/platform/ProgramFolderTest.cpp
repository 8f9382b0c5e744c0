#include "platform/ProgramFolder.h"

#include "support/TestHome.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(ProgramFolder, KevaHomeWinsAndHoldsTheLanguageFolder)
{
    const ProgramFolder folder = ProgramFolder::resolve(QStringLiteral("/srv/keva/"), QStringLiteral("/usr/bin"), true,
                                                        QString(), QStringLiteral("/home/u"));
    EXPECT_EQ(folder.path(), QStringLiteral("/srv/keva"));
    EXPECT_EQ(folder.languageFolder(), QStringLiteral("/srv/keva/Lang"));
    EXPECT_EQ(folder.file(QStringLiteral("Settings.ini")), QStringLiteral("/srv/keva/Settings.ini"));
}

TEST(ProgramFolder, AWritableExecutableFolderIsTheProgramFolder)
{
    const ProgramFolder folder = ProgramFolder::resolve(QString(), QStringLiteral("/home/u/keva/build/bin"), true,
                                                        QString(), QStringLiteral("/home/u"));
    EXPECT_EQ(folder.path(), QStringLiteral("/home/u/keva/build/bin"));
    EXPECT_EQ(folder.languageFolder(), QStringLiteral("/home/u/keva/build/bin/Lang"));
}

TEST(ProgramFolder, AnInstalledCopyKeepsStateInTheUsersDataFolder)
{
    TestHome home;
    QDir().mkpath(home.path(QStringLiteral("usr/share/quillspan/Lang")));
    QDir().mkpath(home.path(QStringLiteral("usr/bin")));

    const ProgramFolder installed = ProgramFolder::resolve(QString(), home.path(QStringLiteral("usr/bin")), false,
                                                           home.path(QStringLiteral("data")), QStringLiteral("/unused"));
    EXPECT_EQ(installed.path(), home.path(QStringLiteral("data/Quillspan")));
    EXPECT_TRUE(QFileInfo(installed.path()).isDir());
    EXPECT_EQ(installed.languageFolder(), home.path(QStringLiteral("usr/share/quillspan/Lang")));

    const ProgramFolder noDataHome = ProgramFolder::resolve(QString(), home.path(QStringLiteral("usr/bin")), false,
                                                            QString(), home.path(QStringLiteral("user")));
    EXPECT_EQ(noDataHome.path(), home.path(QStringLiteral("user/.local/share/Quillspan")));
}

} // namespace
