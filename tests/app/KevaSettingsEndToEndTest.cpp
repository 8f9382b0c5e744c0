#include "KevaOnDisplay.h"

#include "platform/Registry.h"
#include "platform/WindowDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>

#include <gtest/gtest.h>

namespace {

const QString kSettingsKey = QStringLiteral("Software\\Quillspan Software\\KEVA 1.0");

// The process that runs `program` with exactly `arguments` and whose
// KEVA_HOME is `home`: a program this test started by other means.
pid_t processOf(const QString& program, const QStringList& arguments, const QString& home)
{
    QByteArray commandLine = QFile::encodeName(program) + '\0';
    for (const QString& argument : arguments)
        commandLine += argument.toUtf8() + '\0';
    const QByteArray homeVariable = "KEVA_HOME=" + QFile::encodeName(home);
    for (const QFileInfo& entry : QDir(QStringLiteral("/proc")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const pid_t pid = entry.fileName().toInt(&numeric);
        if (!numeric)
            continue;
        QFile cmdline(entry.filePath() + QStringLiteral("/cmdline"));
        QFile environ(entry.filePath() + QStringLiteral("/environ"));
        if (!cmdline.open(QIODevice::ReadOnly) || cmdline.readAll() != commandLine
            || !environ.open(QIODevice::ReadOnly))
            continue;
        if (environ.readAll().split('\0').contains(homeVariable))
            return pid;
    }
    return 0;
}

class KevaSettingsEndToEnd : public KevaOnDisplay {
protected:
    void TearDown() override
    {
        // A KEVA that the session's launcher started is no child of the test.
        if (const pid_t launched = processOf(keva, {QStringLiteral("/STARTUP")}, home.programFolder()))
            ::kill(launched, SIGKILL);
        KevaOnDisplay::TearDown();
    }
    // The settings value as the hive file on disk holds it.
    std::optional<QString> stored(const char* name) const
    {
        return Registry(home.registryFolder())
            .readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kSettingsKey, QString::fromLatin1(name));
    }
    // Options > Settings, through the menu's keys; the dialog's window.
    QString openSettings()
    {
        // "S" also marks Show Windows, so it only moves to Settings; Return opens it.
        return openFromMenu({QStringLiteral("alt+o"), QStringLiteral("s"), QStringLiteral("Return")},
                            QStringLiteral("^Settings$"));
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
    keys({QStringLiteral("ctrl+Tab"), QStringLiteral("ctrl+Tab"), QStringLiteral("ctrl+Tab"),
          QStringLiteral("ctrl+Tab"), QStringLiteral("Right"), QStringLiteral("Tab"), QStringLiteral("ctrl+a")});
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
    Registry(home.registryFolder())
        .deleteValue(RegistryRoot::HKEY_LOCAL_MACHINE, kSettingsKey, QStringLiteral("SaveLastDir"));
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

// The Starting page's box writes the autostart entry; the desktop session
// (GLib's launcher, as GNOME's) starts KEVA from it, which comes up as from
// any other start.
TEST_F(KevaSettingsEndToEnd, TheSessionStartsKevaFromTheEntryTheBoxWrites)
{
    const QString entry = home.configFolder() + QStringLiteral("/autostart/Quillspan.desktop");
    ASSERT_TRUE(startKeva());
    ASSERT_FALSE(openSettings().isEmpty());
    // Starting, the next page; its box is on after the first run: off, on again, OK.
    keys({QStringLiteral("ctrl+Tab"), QStringLiteral("Tab"), QStringLiteral("space")});
    ASSERT_TRUE(waitFor([&] { return !QFileInfo::exists(entry); }, 10000)) << "the box was on";
    keys({QStringLiteral("space")});
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(entry); }, 10000)) << "the entry appears at once";
    keys({QStringLiteral("Return")});
    ASSERT_TRUE(waitFor([&] { return windowsNamed(QStringLiteral("^Settings$")).isEmpty(); }, 20000));
    EXPECT_EQ(Registry(home.registryFolder())
                  .readValue(RegistryRoot::HKEY_LOCAL_MACHINE,
                             QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                             QStringLiteral("Quillspan")),
              home.programFolder() + QStringLiteral("/KEVA.exe /STARTUP"));
    terminate();

    const bool onCi = qEnvironmentVariable("CI") == QStringLiteral("true");
    if (!QFileInfo(QStringLiteral("/usr/bin/gio")).isExecutable()) {
        if (onCi)
            FAIL() << "gio is missing; CI must install libglib2.0-bin";
        GTEST_SKIP() << "Skipped: install the package libglib2.0-bin to run this test.";
    }
    // KEVA outlives the launcher and keeps its output: a file, not a pipe.
    QProcess launcher;
    launcher.setProcessEnvironment(environment);
    launcher.setStandardOutputFile(home.path(QStringLiteral("launched.log")));
    launcher.setStandardErrorFile(home.path(QStringLiteral("launched.log")), QIODevice::Append);
    launcher.start(QStringLiteral("/usr/bin/gio"), {QStringLiteral("launch"), entry});
    ASSERT_TRUE(launcher.waitForFinished(20000));
    ASSERT_EQ(launcher.exitCode(), 0) << home.readFile(QStringLiteral("launched.log")).constData();
    ASSERT_TRUE(waitFor(
        [] {
            return WindowDirectory::findWindow("KEVAIEObjectHelperItem", WindowDirectory::Match::Contains).has_value();
        },
        30000))
        << "KEVA runs: " << home.readFile(QStringLiteral("launched.log")).constData();
    const pid_t started = processOf(keva, {QStringLiteral("/STARTUP")}, home.programFolder());
    ASSERT_NE(started, 0) << "started as the entry says";
    EXPECT_FALSE(focusWindow(QStringLiteral("^Quillspan$")).isEmpty()) << "its main window shows";
    EXPECT_EQ(Registry(home.registryFolder())
                  .readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kSettingsKey, QStringLiteral("RunTimes")),
              QStringLiteral("2"))
        << "an ordinary start, counted";
    ::kill(started, SIGTERM);
    EXPECT_TRUE(waitFor([&] { return ::kill(started, 0) != 0; }, 30000));
}

} // namespace
