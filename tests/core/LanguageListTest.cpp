#include "core/LanguageList.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A picture that loads starts with "BM", as a bitmap does; the check reads
// the file, so a name alone is never enough.
bool loadsAsPicture(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "BM";
}

struct ListCase {
    const char* name;
    // The folder's files in the order the file system lists them; a ".bmp"
    // whose name holds "broken" does not load.
    std::vector<const char*> entries;
    const char* languageFile;
    bool builds;
    // Each language with the picture it shows.
    std::vector<std::pair<const char*, const char*>> items;
    int selected;
};

class LanguageListCases : public testing::TestWithParam<ListCase> { };

TEST_P(LanguageListCases, PairsLanguagesWithTheirPictures)
{
    const ListCase& c = GetParam();
    TestHome home;
    const QString folder = home.programFolder() + QStringLiteral("/Lang");
    QDir().mkpath(folder);
    QStringList entries;
    for (const char* entry : c.entries) {
        const QString name = QString::fromLatin1(entry);
        const bool broken = name.contains(QStringLiteral("broken"));
        home.writeFile(QStringLiteral("home/Lang/") + name, broken ? QByteArray("GIF89a") : QByteArray("BM") + entry);
        entries.append(name);
    }

    LanguageList list;
    ASSERT_EQ(list.fill(folder, entries, QString::fromLatin1(c.languageFile), loadsAsPicture), c.builds)
        << list.failure().toStdString();
    EXPECT_EQ(list.failure().isEmpty(), c.builds);
    QList<LanguageList::Item> expected;
    for (const auto& [language, picture] : c.items)
        expected.append({QString::fromLatin1(language), folder + QLatin1Char('/') + QString::fromLatin1(picture)});
    EXPECT_EQ(list.items(), expected);
    EXPECT_EQ(list.selected(), c.selected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageListCases,
    testing::Values(
        ListCase {"EnglishAndArabic",
                  {"English.ini", "Arabic.ini", "English.bmp", "Arabic.bmp"},
                  "Arabic.ini",
                  true,
                  {{"English", "English.bmp"}, {"Arabic", "Arabic.bmp"}},
                  1},
        // The listing of a Linux folder is not sorted: by position, English
        // would show the Arabic picture and German the English one.
        ListCase {"PicturesListedInAnotherOrderThanTheirFiles",
                  {"Arabic.bmp", "English.ini", "German.bmp", "Arabic.ini", "English.bmp", "German.ini"},
                  "English.ini",
                  true,
                  {{"English", "English.bmp"}, {"Arabic", "Arabic.bmp"}, {"German", "German.bmp"}},
                  0},
        ListCase {"PicturesOfOtherNamesGoByPosition",
                  {"English.ini", "one.bmp", "Arabic.ini", "two.bmp"},
                  "English.ini",
                  true,
                  {{"English", "one.bmp"}, {"Arabic", "two.bmp"}},
                  0},
        ListCase {"ANamedPictureAndOneByPosition",
                  {"other.bmp", "English.ini", "Arabic.ini", "Arabic.bmp"},
                  "English.ini",
                  true,
                  {{"English", "other.bmp"}, {"Arabic", "Arabic.bmp"}},
                  0},
        ListCase {"ExtensionsInCapitals",
                  {"German.INI", "German.BMP", "English.ini", "English.Bmp"},
                  "german.ini",
                  true,
                  {{"German", "German.BMP"}, {"English", "English.Bmp"}},
                  0},
        ListCase {"OtherFilesAreNoLanguages",
                  {"readme.txt", "English.ini", "English.ini.bak", "ini", "English.bmp", "English.png"},
                  "English.ini",
                  true,
                  {{"English", "English.bmp"}},
                  0},
        ListCase {"NoItemForAMissingLanguageFile",
                  {"English.ini", "English.bmp"},
                  "Klingon.ini",
                  true,
                  {{"English", "English.bmp"}},
                  -1},
        ListCase {
            "OneMoreLanguageThanPictures", {"English.ini", "Arabic.ini", "English.bmp"}, "English.ini", false, {}, -1},
        ListCase {"APictureThatDoesNotLoad",
                  {"English.ini", "Arabic.ini", "English.bmp", "broken.bmp"},
                  "English.ini",
                  false,
                  {},
                  -1},
        ListCase {"AnEmptyFolder", {}, "English.ini", true, {}, -1}),
    CaseName());

TEST(LanguageList, AMissingFolderFails)
{
    TestHome home;
    LanguageList list;
    EXPECT_FALSE(
        list.fill(home.programFolder() + QStringLiteral("/Lang"), QStringLiteral("English.ini"), loadsAsPicture));
    EXPECT_TRUE(list.items().isEmpty());
}

// Whatever order the file system lists them in, each language shows its own
// picture.
TEST(LanguageList, ReadsTheFolderItself)
{
    TestHome home;
    for (const char* name : {"German", "English", "Arabic", "French"}) {
        home.writeFile(QStringLiteral("home/Lang/%1.bmp").arg(QLatin1String(name)), "BM");
        home.writeFile(QStringLiteral("home/Lang/%1.ini").arg(QLatin1String(name)), "[KEVA]\n");
    }
    const QString folder = home.programFolder() + QStringLiteral("/Lang");
    LanguageList list;
    ASSERT_TRUE(list.fill(folder, QStringLiteral("French.ini"), loadsAsPicture));
    ASSERT_EQ(list.items().size(), 4);
    for (const LanguageList::Item& item : list.items())
        EXPECT_EQ(item.picture, folder + QLatin1Char('/') + item.name + QStringLiteral(".bmp"));
    ASSERT_GE(list.selected(), 0);
    EXPECT_EQ(list.items()[list.selected()].name, QStringLiteral("French"));
}

} // namespace
