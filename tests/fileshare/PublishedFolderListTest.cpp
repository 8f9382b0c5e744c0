#include "fileshare/engine/PublishedFolderList.h"

#include "fileshare/engine/LengthPrefixedFile.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

namespace {

QStringList rows(const PublishedFolderList& list)
{
    QStringList shown;
    for (int row = 0; row < list.count(); ++row)
        shown << list.path(row) + QLatin1Char(' ') + list.alias(row);
    return shown;
}

TEST(PublishedFolderList, AliasesFollowThePositions)
{
    PublishedFolderList list;
    for (const char* path : {"/srv/a", "/srv/b", "/srv/c"})
        EXPECT_EQ(list.add(QString::fromLatin1(path)), PublishedFolderList::AddResult::Added);
    EXPECT_EQ(rows(list),
              QStringList({QStringLiteral("/srv/c dir3"), QStringLiteral("/srv/b dir2"), QStringLiteral("/srv/a /")}));
    ASSERT_TRUE(list.remove(1));
    EXPECT_EQ(rows(list), QStringList({QStringLiteral("/srv/c dir2"), QStringLiteral("/srv/a /")}));
    EXPECT_FALSE(list.remove(2));
    EXPECT_FALSE(list.remove(-1));
}

TEST(PublishedFolderList, RefusesWhatCannotBePublished)
{
    PublishedFolderList list;
    list.add(QStringLiteral("/srv/a"));
    EXPECT_EQ(list.add(QStringLiteral("/SRV/A")), PublishedFolderList::AddResult::AlreadyAdded);
    EXPECT_EQ(list.add(QStringLiteral("/srv/a/")), PublishedFolderList::AddResult::AlreadyAdded);
    EXPECT_EQ(list.add(QString()), PublishedFolderList::AddResult::NothingSelected);
    EXPECT_EQ(list.add(QStringLiteral("/")), PublishedFolderList::AddResult::DriveRoot);
    EXPECT_EQ(list.count(), 1);
}

TEST(PublishedFolderList, SavedBottomRowFirstAndReloadedInOrder)
{
    TestHome home;
    PublishedFolderList list;
    list.add(QStringLiteral("/srv/first"));
    list.add(QStringLiteral("/srv/zweite Stra\u00DFe"));
    const QString file = home.path(QStringLiteral("vantrel.lst"));
    ASSERT_TRUE(list.save(file));
    const QByteArray data = home.readFile(QStringLiteral("vantrel.lst"));
    EXPECT_EQ(data.left(18), QByteArray("\x02\x00\x00\x00\x0a\x00\x00\x00/srv/first", 18));

    PublishedFolderList loaded;
    ASSERT_TRUE(loaded.load(file));
    EXPECT_EQ(rows(loaded), rows(list));
    const std::vector<PublishedFolder> site = loaded.toSite();
    ASSERT_EQ(site.size(), 2u);
    EXPECT_EQ(site[1].alias, "/");
    EXPECT_EQ(site[0].alias, "dir2");
}

TEST(PublishedFolderList, DamagedFileLeavesTheListEmpty)
{
    TestHome home;
    const QString file = home.path(QStringLiteral("vantrel.lst"));
    for (const QByteArray& damaged : {QByteArray("\x01\x00", 2), QByteArray("\x01\x00\x00\x00\xff\x00\x00\x00/a", 10),
                                      QByteArray("\xff\xff\xff\xff", 4)}) {
        home.writeFile(QStringLiteral("vantrel.lst"), damaged);
        PublishedFolderList list;
        list.add(QStringLiteral("/srv/kept-until-load"));
        EXPECT_FALSE(list.load(file));
        EXPECT_EQ(list.count(), 0);
    }
}

TEST(LengthPrefixedFile, ReadsWhatItWritesAndRefusesShortData)
{
    TestHome home;
    const QString file = home.path(QStringLiteral("vantrel.por"));
    ASSERT_TRUE(LengthPrefixedFile::write(file, "8080"));
    EXPECT_EQ(home.readFile(QStringLiteral("vantrel.por")),
              QByteArray("\x04\x00\x00\x00"
                         "8080",
                         8));
    EXPECT_EQ(LengthPrefixedFile::read(file), QByteArray("8080"));
    EXPECT_EQ(LengthPrefixedFile::decode(QByteArray("\x05\x00\x00\x00"
                                                    "808",
                                                    7)),
              std::nullopt);
    EXPECT_EQ(LengthPrefixedFile::decode(QByteArray("\x02\x00", 2)), std::nullopt);
    EXPECT_EQ(LengthPrefixedFile::read(home.path(QStringLiteral("missing"))), std::nullopt);
}

} // namespace
