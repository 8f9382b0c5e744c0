#include "platform/Registry.h"

#include "platform/RegistryReadSession.h"

#include "support/CaseName.h"
#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kKey = QStringLiteral("Software\\Quillspan Software\\KEVA 1.0");

TEST(Registry, ValuesPersistInTheHiveFileOfTheirRoot)
{
    TestHome home;
    {
        Registry registry(home.registryFolder());
        EXPECT_TRUE(registry.writeValue(HKLM, kKey, QStringLiteral("Timeout"), QStringLiteral("60")));
        EXPECT_TRUE(registry.writeValue(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Netscape"),
                                        QStringLiteral("DownloadManagerPath"), QStringLiteral("/opt/keva")));
    }
    Registry again(home.registryFolder());
    EXPECT_EQ(
        again.readValue(HKLM, QStringLiteral("software\\quillspan software\\keva 1.0"), QStringLiteral("TIMEOUT")),
        QStringLiteral("60"));
    EXPECT_FALSE(again.readValue(RegistryRoot::HKEY_CURRENT_USER, kKey, QStringLiteral("Timeout")).has_value());

    const QByteArray hive = home.readFile(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg"));
    EXPECT_TRUE(hive.startsWith("REGEDIT4\n")) << hive.constData();
    EXPECT_TRUE(hive.contains("[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n\"Timeout\"=\"60\"\n"));
    EXPECT_TRUE(QFile::exists(home.registryFolder() + QStringLiteral("/HKEY_CURRENT_USER.reg")));

    // Only the hives and their lock files: no temporary files left behind.
    const QStringList files = QDir(home.registryFolder()).entryList(QDir::Files);
    for (const QString& file : files)
        EXPECT_TRUE(file.endsWith(QStringLiteral(".reg")) || file.endsWith(QStringLiteral(".reg.lock")))
            << file.toStdString();
}

TEST(Registry, EmptyPathPartsAreIgnored)
{
    TestHome home;
    Registry registry(home.registryFolder());
    ASSERT_TRUE(registry.writeValue(HKLM, QStringLiteral("\\A\\\\B\\"), QStringLiteral("x"), QStringLiteral("1")));
    EXPECT_EQ(registry.readValue(HKLM, QStringLiteral("A\\B"), QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_EQ(registry.subkeys(HKLM, QStringLiteral("A")), QStringList {QStringLiteral("B")});
}

TEST(Registry, AHiveThatCannotBeWrittenIsStillRead)
{
    TestHome home;
    Registry registry(home.registryFolder());
    ASSERT_TRUE(registry.writeValue(HKLM, kKey, QStringLiteral("Timeout"), QStringLiteral("60")));
    // A folder where the lock file belongs: no process, not even root, can take the lock.
    const QString lock = registry.hivePath(HKLM) + QStringLiteral(".lock");
    QFile::remove(lock);
    ASSERT_TRUE(QDir().mkpath(lock));

    EXPECT_FALSE(registry.writeValue(HKLM, kKey, QStringLiteral("Timeout"), QStringLiteral("99")));
    EXPECT_FALSE(registry.deleteValue(HKLM, kKey, QStringLiteral("Timeout")));
    EXPECT_EQ(registry.readValue(HKLM, kKey, QStringLiteral("Timeout")), QStringLiteral("60"));
}

TEST(Registry, DamagedHiveKeepsItsUnreadableLinesThroughAWrite)
{
    TestHome home;
    home.writeFile(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg"),
                   "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n"
                   "\"Timeout\"=\"45\"\n\"Broken\"=\"no end\n#### edited by hand ####\n"
                   "\"Retries\"=\"7\"\n[HKEY_LOCAL_MACHINE\\Software\\Other\n\"Lost\"=\"?\"\n");
    Registry registry(home.registryFolder());
    EXPECT_EQ(registry.readValue(HKLM, kKey, QStringLiteral("Timeout")), QStringLiteral("45"));
    EXPECT_EQ(registry.readValue(HKLM, kKey, QStringLiteral("Retries")), QStringLiteral("7"));

    ASSERT_TRUE(registry.writeValue(HKLM, kKey, QStringLiteral("RunTimes"), QStringLiteral("3")));
    const QByteArray after = home.readFile(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg"));
    for (const char* kept : {"\"Broken\"=\"no end", "#### edited by hand ####", "[HKEY_LOCAL_MACHINE\\Software\\Other",
                             "\"Lost\"=\"?\"", "\"Timeout\"=\"45\"", "\"Retries\"=\"7\"", "\"RunTimes\"=\"3\""})
        EXPECT_TRUE(after.contains(kept)) << kept;
}

// Two processes keep writing to the same hive at once: every value of both
// arrives, and every look at the file in between finds it whole.
TEST(Registry, ConcurrentWritersLoseNothing)
{
    TestHome home;
    constexpr int kCount = 150;
    const QString writer = TestHome::binFolder() + QStringLiteral("/registry_writer");
    ASSERT_TRUE(QFile::exists(writer)) << writer.toStdString();

    QProcess first;
    QProcess second;
    first.start(writer, {home.registryFolder(), QStringLiteral("first"), QString::number(kCount)});
    second.start(writer, {home.registryFolder(), QStringLiteral("second"), QString::number(kCount)});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(second.waitForStarted());

    Registry registry(home.registryFolder());
    int looks = 0;
    while (first.state() != QProcess::NotRunning || second.state() != QProcess::NotRunning) {
        EXPECT_EQ(registry.load(HKLM).unreadableLineCount(), 0);
        ++looks;
        first.waitForFinished(5);
        second.waitForFinished(5);
    }
    EXPECT_GT(looks, 0);
    ASSERT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
    ASSERT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();

    const RegistryHive hive = registry.load(HKLM);
    EXPECT_EQ(hive.unreadableLineCount(), 0);
    const QStringList key = {QStringLiteral("Software"), QStringLiteral("Race")};
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(hive.value(key, QStringLiteral("first%1").arg(i)), QStringLiteral("value %1").arg(i));
        EXPECT_EQ(hive.value(key, QStringLiteral("second%1").arg(i)), QStringLiteral("value %1").arg(i));
    }
}

// A reader keeps the parsed hive between reads; what happens to the file
// between two reads decides whether the second one parses it again.
struct CachedReadCase {
    const char* name;
    std::function<void(TestHome&, Registry& reader)> between;
    std::optional<QString> expected;
    int parses; // of the reader, over both reads
};

const QString kHive = QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg");
const QString kSpeed = QStringLiteral("Speed");

void writeBy(TestHome& home, const QString& speed)
{
    Registry(home.registryFolder()).writeValue(HKLM, kKey, kSpeed, speed);
}

class CachedReads : public testing::TestWithParam<CachedReadCase> { };

TEST_P(CachedReads, ParseOnlyAChangedHive)
{
    TestHome home;
    writeBy(home, QStringLiteral("1"));
    Registry reader(home.registryFolder());
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("1"));
    const CachedReadCase& c = GetParam();
    c.between(home, reader);
    EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), c.expected);
    EXPECT_EQ(reader.parseCount(HKLM), c.parses);
    EXPECT_EQ(reader.parseCount(RegistryRoot::HKEY_CURRENT_USER), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CachedReads,
    testing::Values(
        CachedReadCase {"Unchanged", [](TestHome&, Registry&) {}, QStringLiteral("1"), 1},
        CachedReadCase {"OwnWrite",
                        [](TestHome&, Registry& reader) { reader.writeValue(HKLM, kKey, kSpeed, QStringLiteral("2")); },
                        QStringLiteral("2"), 1},
        CachedReadCase {"WriteByAnotherProcess", [](TestHome& home, Registry&) { writeBy(home, QStringLiteral("2")); },
                        QStringLiteral("2"), 2},
        // Each replacement frees an inode number that the next one may get.
        CachedReadCase {"TwoWritesByAnotherProcess",
                        [](TestHome& home, Registry&) {
                            writeBy(home, QStringLiteral("2"));
                            writeBy(home, QStringLiteral("3"));
                        },
                        QStringLiteral("3"), 2},
        CachedReadCase {"ReplacedWithSameSizeAndTime",
                        [](TestHome& home, Registry&) {
                            QByteArray hive = home.readFile(kHive);
                            home.replaceFile(kHive, hive.replace("\"Speed\"=\"1\"", "\"Speed\"=\"4\""));
                        },
                        QStringLiteral("4"), 2},
        CachedReadCase {"Removed", [](TestHome& home, Registry&) { QFile::remove(home.path(kHive)); }, std::nullopt,
                        2}),
    CaseName());

TEST(Registry, AHiveCreatedByAnotherProcessIsSeen)
{
    TestHome home;
    Registry reader(home.registryFolder());
    EXPECT_FALSE(reader.readValue(HKLM, kKey, kSpeed).has_value());
    EXPECT_FALSE(reader.readValue(HKLM, kKey, kSpeed).has_value());
    EXPECT_EQ(reader.parseCount(HKLM), 1);
    writeBy(home, QStringLiteral("1"));
    EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("1"));
}

// Values read in one session come from one version of the hive, the one
// there when the session first reads it, however often another process
// replaces it meanwhile; the session's own writes and, after it, the other
// process's are seen.
TEST(Registry, AReadSessionSeesOneVersion)
{
    TestHome home;
    writeBy(home, QStringLiteral("1"));
    Registry reader(home.registryFolder());
    EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("1"));
    writeBy(home, QStringLiteral("2"));
    {
        const RegistryReadSession session(reader);
        EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("2"));
        writeBy(home, QStringLiteral("3"));
        EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("2"));
        ASSERT_TRUE(reader.writeValue(HKLM, kKey, QStringLiteral("Own"), QStringLiteral("x")));
        EXPECT_EQ(reader.readValue(HKLM, kKey, QStringLiteral("Own")), QStringLiteral("x"));
        EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("3"));
        writeBy(home, QStringLiteral("4"));
        EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("3"));
    }
    EXPECT_EQ(reader.readValue(HKLM, kKey, kSpeed), QStringLiteral("4"));
}

TEST(Registry, DefaultFolderFollowsTheEnvironment)
{
    const QByteArray saved = qgetenv("KEVA_REGISTRY_DIR");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("KEVA_REGISTRY_DIR", "/tmp/explicit");
    EXPECT_EQ(Registry::defaultFolder(), QStringLiteral("/tmp/explicit"));
    qunsetenv("KEVA_REGISTRY_DIR");
    qputenv("XDG_CONFIG_HOME", "/tmp/config");
    EXPECT_EQ(Registry::defaultFolder(), QStringLiteral("/tmp/config/Quillspan/registry"));
    qputenv("KEVA_REGISTRY_DIR", saved);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    if (saved.isNull())
        qunsetenv("KEVA_REGISTRY_DIR");
    if (savedConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
}

} // namespace
