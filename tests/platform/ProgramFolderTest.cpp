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
                                                           home.path(QStringLiteral("data")),
                                                           QStringLiteral("/unused"));
    EXPECT_EQ(installed.path(), home.path(QStringLiteral("data/Quillspan")));
    EXPECT_TRUE(QFileInfo(installed.path()).isDir());
    EXPECT_EQ(installed.languageFolder(), home.path(QStringLiteral("usr/share/quillspan/Lang")));

    const ProgramFolder noDataHome = ProgramFolder::resolve(QString(), home.path(QStringLiteral("usr/bin")), false,
                                                            QString(), home.path(QStringLiteral("user")));
    EXPECT_EQ(noDataHome.path(), home.path(QStringLiteral("user/.local/share/Quillspan")));

    // Installed into a prefix the user may write to: still not beside the programs.
    const ProgramFolder ownPrefix = ProgramFolder::resolve(QString(), home.path(QStringLiteral("usr/bin")), true,
                                                           home.path(QStringLiteral("data")),
                                                           QStringLiteral("/unused"));
    EXPECT_EQ(ownPrefix.path(), home.path(QStringLiteral("data/Quillspan")));
}

// Data files, the language folder first among them, are looked for in the
// program folder first, then beside the executable, then where an installed
// copy keeps them (<prefix>/share/quillspan).
struct DataFileCase {
    const char* name;
    QStringList existing; // made below the test's root: a folder where it ends in "/", else a file
    const char* kevaHome; // below the root; nothing: not set
    bool executableFolderWritable;
    const char* lookedUp; // "Lang" for the language folder, else a data file
    const char* expected; // below the root
};

class DataFileCases : public testing::TestWithParam<DataFileCase> { };

TEST_P(DataFileCases, FirstExistingOne)
{
    const DataFileCase& c = GetParam();
    TestHome home;
    QDir().mkpath(home.path(QStringLiteral("prefix/bin")));
    for (const QString& entry : c.existing) {
        if (entry.endsWith(QLatin1Char('/')))
            QDir().mkpath(home.path(entry));
        else
            home.writeFile(entry, "<html></html>");
    }
    const ProgramFolder folder = ProgramFolder::resolve(
        c.kevaHome ? home.path(QString::fromLatin1(c.kevaHome)) : QString(), home.path(QStringLiteral("prefix/bin")),
        c.executableFolderWritable, home.path(QStringLiteral("data")), QStringLiteral("/unused"));
    const QString lookedUp = QString::fromLatin1(c.lookedUp);
    const QString found = lookedUp == QStringLiteral("Lang") ? folder.languageFolder() : folder.dataFile(lookedUp);
    EXPECT_EQ(found, home.path(QString::fromLatin1(c.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFileCases,
    testing::Values(
        DataFileCase {"EmptyHomeUsesTheExecutablesLanguages",
                      {QStringLiteral("empty/"), QStringLiteral("prefix/bin/Lang/")},
                      "empty",
                      true,
                      "Lang",
                      "prefix/bin/Lang"},
        DataFileCase {"EmptyHomeUsesTheInstalledLanguages",
                      {QStringLiteral("empty/"), QStringLiteral("prefix/share/quillspan/Lang/")},
                      "empty",
                      false,
                      "Lang",
                      "prefix/share/quillspan/Lang"},
        DataFileCase {"HomeWithLanguagesWins",
                      {QStringLiteral("own/Lang/"), QStringLiteral("prefix/bin/Lang/")},
                      "own",
                      true,
                      "Lang",
                      "own/Lang"},
        DataFileCase {"ExecutablesLanguagesBeforeTheInstalledOnes",
                      {QStringLiteral("prefix/bin/Lang/"), QStringLiteral("prefix/share/quillspan/Lang/")},
                      nullptr,
                      false,
                      "Lang",
                      "prefix/bin/Lang"},
        DataFileCase {
            "NoLanguagesAnywhereStayInTheHome", {QStringLiteral("empty/")}, "empty", true, "Lang", "empty/Lang"},
        DataFileCase {"HelpBesideTheExecutable",
                      {QStringLiteral("own/"), QStringLiteral("prefix/bin/help/htu.htm")},
                      "own",
                      true,
                      "help/htu.htm",
                      "prefix/bin/help/htu.htm"},
        DataFileCase {"HelpOfAnInstalledCopy",
                      {QStringLiteral("prefix/share/quillspan/help/htu.htm")},
                      nullptr,
                      false,
                      "help/htu.htm",
                      "prefix/share/quillspan/help/htu.htm"},
        DataFileCase {"HelpInTheHomeFirst",
                      {QStringLiteral("own/help/htu.htm"), QStringLiteral("prefix/bin/help/htu.htm")},
                      "own",
                      true,
                      "help/htu.htm",
                      "own/help/htu.htm"},
        DataFileCase {
            "HelpBesideTheExecutableBeforeTheInstalledOne",
            {QStringLiteral("prefix/bin/help/htu.htm"), QStringLiteral("prefix/share/quillspan/help/htu.htm")},
            nullptr,
            false,
            "help/htu.htm",
            "prefix/bin/help/htu.htm"},
        DataFileCase {
            "NoHelpAnywhereIsInTheHome", {QStringLiteral("own/")}, "own", true, "help/htu.htm", "own/help/htu.htm"}),
    CaseName());

} // namespace
