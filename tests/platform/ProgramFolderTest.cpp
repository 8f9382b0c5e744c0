#include "platform/ProgramFolder.h"

#include "support/CaseName.h"
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

// The language folder is looked for in the program folder first, then beside
// the executable, then where an installed copy keeps it.
struct LanguageFolderCase {
    const char* name;
    QStringList existing; // folders made below the test's root
    const char* kevaHome; // below the root; nothing: not set
    bool executableFolderWritable;
    const char* expected; // below the root
};

class LanguageFolderCases : public testing::TestWithParam<LanguageFolderCase> {};

TEST_P(LanguageFolderCases, FirstExistingLanguageFolder)
{
    const LanguageFolderCase& c = GetParam();
    TestHome home;
    QDir().mkpath(home.path(QStringLiteral("prefix/bin")));
    for (const QString& folder : c.existing)
        QDir().mkpath(home.path(folder));
    const ProgramFolder folder = ProgramFolder::resolve(c.kevaHome ? home.path(QString::fromLatin1(c.kevaHome)) : QString(),
                                                        home.path(QStringLiteral("prefix/bin")), c.executableFolderWritable,
                                                        home.path(QStringLiteral("data")), QStringLiteral("/unused"));
    EXPECT_EQ(folder.languageFolder(), home.path(QString::fromLatin1(c.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageFolderCases,
    testing::Values(
        LanguageFolderCase {"EmptyHomeUsesTheExecutablesFolder", {QStringLiteral("empty"), QStringLiteral("prefix/bin/Lang")},
                            "empty", true, "prefix/bin/Lang"},
        LanguageFolderCase {"EmptyHomeUsesTheInstalledFolder",
                            {QStringLiteral("empty"), QStringLiteral("prefix/share/quillspan/Lang")},
                            "empty", false, "prefix/share/quillspan/Lang"},
        LanguageFolderCase {"HomeWithLanguagesWins",
                            {QStringLiteral("own/Lang"), QStringLiteral("prefix/bin/Lang")}, "own", true, "own/Lang"},
        LanguageFolderCase {"ExecutablesFolderBeforeTheInstalledOne",
                            {QStringLiteral("prefix/bin/Lang"), QStringLiteral("prefix/share/quillspan/Lang")}, nullptr,
                            false, "prefix/bin/Lang"},
        LanguageFolderCase {"NoneAnywhereStaysInTheHome", {QStringLiteral("empty")}, "empty", true, "empty/Lang"}),
    CaseName());

// Other data files (the help pages) are looked for the same way, so an
// installed copy finds what it ships under <prefix>/share/quillspan.
struct DataFileCase {
    const char* name;
    QStringList existing; // files made below the test's root
    bool executableFolderWritable;
    const char* expected; // below the root
};

class DataFileCases : public testing::TestWithParam<DataFileCase> {};

TEST_P(DataFileCases, FirstExistingDataFile)
{
    const DataFileCase& c = GetParam();
    TestHome home;
    QDir().mkpath(home.path(QStringLiteral("prefix/bin")));
    QDir().mkpath(home.path(QStringLiteral("own")));
    for (const QString& file : c.existing)
        home.writeFile(file, "<html></html>");
    const ProgramFolder folder = ProgramFolder::resolve(home.path(QStringLiteral("own")), home.path(QStringLiteral("prefix/bin")),
                                                        c.executableFolderWritable, home.path(QStringLiteral("data")),
                                                        QStringLiteral("/unused"));
    EXPECT_EQ(folder.dataFile(QStringLiteral("help/htu.htm")), home.path(QString::fromLatin1(c.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFileCases,
    testing::Values(
        DataFileCase {"BesideTheExecutable", {QStringLiteral("prefix/bin/help/htu.htm")}, true, "prefix/bin/help/htu.htm"},
        DataFileCase {"InstalledCopy", {QStringLiteral("prefix/share/quillspan/help/htu.htm")}, false,
                      "prefix/share/quillspan/help/htu.htm"},
        DataFileCase {"ProgramFolderFirst",
                      {QStringLiteral("own/help/htu.htm"), QStringLiteral("prefix/bin/help/htu.htm")}, true,
                      "own/help/htu.htm"},
        DataFileCase {"ExecutablesFolderBeforeTheInstalledOne",
                      {QStringLiteral("prefix/bin/help/htu.htm"), QStringLiteral("prefix/share/quillspan/help/htu.htm")},
                      false, "prefix/bin/help/htu.htm"},
        DataFileCase {"NoneAnywhereIsInTheProgramFolder", {}, true, "own/help/htu.htm"}),
    CaseName());

} // namespace
