#include "KevaOnDisplay.h"

#include "platform/Registry.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QString kSettingsKey = QStringLiteral("Software\\Quillspan Software\\KEVA 1.0");

class KevaSettingsEndToEnd : public KevaOnDisplay {
protected:
    // The settings value as the hive file on disk holds it.
    std::optional<QString> stored(const char* name) const
    {
        return Registry(home.registryFolder())
            .readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kSettingsKey, QString::fromLatin1(name));
    }
    // Options > Settings, through the menu's keys; the dialog's window.
    QString openSettings()
    {
        if (focusWindow(QStringLiteral("^Quillspan$")).isEmpty())
            return {};
        // "S" also marks Show Windows, so it only moves to Settings; Return opens it.
        keys({QStringLiteral("alt+o"), QStringLiteral("s"), QStringLiteral("Return")});
        return focusWindow(QStringLiteral("^Settings$"));
    }
};

// A user changes two settings in the window and presses OK: the hive file
// holds them; KEVA started again shows them in the dialog, which OK then
// stores unchanged.
TEST_F(KevaSettingsEndToEnd, ValuesSetInTheDialogAreStoredAndShownAfterARestart)
{
    const QString sameFolder = home.path(QStringLiteral("user/Downloads/all here"));
    QDir().mkpath(sameFolder);
    ASSERT_TRUE(startKeva());
    ASSERT_FALSE(openSettings().isEmpty()) << "the settings open from the menu";

    // Segments, the last page: its box, then the first size bound, 3 MB.
    keys({QStringLiteral("ctrl+shift+Tab"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("ctrl+a")});
    typeText(QStringLiteral("3"));
    // Save To, four pages on, where the focus lands on "Last Directory Used":
    // on to "Same Directory", then into its folder box.
    keys({QStringLiteral("ctrl+Tab"), QStringLiteral("ctrl+Tab"), QStringLiteral("ctrl+Tab"), QStringLiteral("ctrl+Tab"),
          QStringLiteral("Right"), QStringLiteral("Tab"), QStringLiteral("ctrl+a")});
    typeText(sameFolder);
    keys({QStringLiteral("Return")}); // OK, the default button
    ASSERT_TRUE(waitFor([&] { return windowsNamed(QStringLiteral("^Settings$")).isEmpty(); }, 20000)) << "OK closes it";

    EXPECT_EQ(stored("SegmentSize1"), QStringLiteral("3145728"));
    EXPECT_EQ(stored("SaveSameDir"), QStringLiteral("True"));
    EXPECT_EQ(stored("SaveLastDir"), home.programFolder());
    EXPECT_EQ(stored("TextSameDir"), sameFolder);
    EXPECT_EQ(stored("SegmentSize2"), QStringLiteral("5242880")) << "the other bounds stay";
    terminate();

    // Started again: the dialog shows what is stored, so OK without an edit
    // stores the same values again. OK always writes every value: a value
    // removed by hand comes back, so the dialog did store.
    Registry(home.registryFolder()).deleteValue(RegistryRoot::HKEY_LOCAL_MACHINE, kSettingsKey, QStringLiteral("SaveLastDir"));
    ASSERT_TRUE(startKeva());
    ASSERT_FALSE(openSettings().isEmpty());
    keys({QStringLiteral("Return")});
    ASSERT_TRUE(waitFor([&] { return windowsNamed(QStringLiteral("^Settings$")).isEmpty(); }, 20000));
    EXPECT_EQ(stored("SaveLastDir"), home.programFolder()) << "OK stored the dialog";
    EXPECT_EQ(stored("SegmentSize1"), QStringLiteral("3145728")) << "the dialog showed 3 MB";
    EXPECT_EQ(stored("SaveSameDir"), QStringLiteral("True")) << "the dialog showed Same Directory";
    EXPECT_EQ(stored("TextSameDir"), sameFolder);
    EXPECT_EQ(stored("RunTimes"), QStringLiteral("2"));
    terminate();
    EXPECT_TRUE(home.readFile(QStringLiteral("opened.txt")).isEmpty()) << "no key went astray to Help";
}

} // namespace
