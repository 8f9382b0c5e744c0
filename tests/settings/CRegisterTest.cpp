#include "settings/CRegister.h"

#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(NormalizeKeyPath, RemovesOneBackslashAtEachEnd)
{
    EXPECT_EQ(NormalizeKeyPath(QStringLiteral("\\Software\\KEVA 1.0\\")), QStringLiteral("Software\\KEVA 1.0"));
    EXPECT_EQ(NormalizeKeyPath(QStringLiteral("Software\\KEVA 1.0")), QStringLiteral("Software\\KEVA 1.0"));
    EXPECT_EQ(NormalizeKeyPath(QStringLiteral("\\\\a\\\\")), QStringLiteral("\\a\\"));
    EXPECT_EQ(NormalizeKeyPath(QStringLiteral("\\")), QString());
}

TEST(CRegister, SectionsWithAndWithoutBackslashesAreOneKey)
{
    TestHome home;
    Registry registry(home.registryFolder());
    CRegister reg(registry);
    ASSERT_TRUE(reg.REGSaveSetting(HKLM, QStringLiteral("\\Software\\Quillspan Software\\KEVA 1.0\\"),
                                   QStringLiteral("Timeout"), QStringLiteral("60")));
    EXPECT_EQ(
        reg.REGGetSetting(HKLM, QStringLiteral("Software\\Quillspan Software\\KEVA 1.0"), QStringLiteral("timeout")),
        QStringLiteral("60"));
    EXPECT_EQ(reg.GetAllKeys(HKLM, QStringLiteral("\\Software\\")), QStringList {QStringLiteral("Quillspan Software")});
}

TEST(CRegister, MissingOrEmptyValuesGiveTheDefault)
{
    TestHome home;
    Registry registry(home.registryFolder());
    CRegister reg(registry);
    const QString key = QStringLiteral("Software\\Test");
    reg.REGSaveSetting(HKLM, key, QStringLiteral("Empty"), QString());
    EXPECT_EQ(reg.REGGetSetting(HKLM, key, QStringLiteral("Empty"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(reg.REGGetSetting(HKLM, key, QStringLiteral("Missing"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(reg.REGGetSetting(HKLM, QStringLiteral("No\\Such\\Key"), QStringLiteral("x")), QString());
    EXPECT_TRUE(reg.GetAllKeys(HKLM, key).isEmpty());
    EXPECT_TRUE(reg.GetAllKeys(HKLM, QStringLiteral("No\\Such\\Key")).isEmpty());
}

TEST(CRegister, StarIsTheDefaultValueAndAnEmptyNameDeletesTheKey)
{
    TestHome home;
    Registry registry(home.registryFolder());
    CRegister reg(registry);
    const QString key = QStringLiteral("Software\\Classes\\.zip");
    ASSERT_TRUE(reg.REGSaveSetting(HKLM, key, QStringLiteral("*"), QStringLiteral("archive")));
    EXPECT_EQ(registry.readValue(HKLM, key, QString()), QStringLiteral("archive"));
    EXPECT_EQ(reg.REGGetSetting(HKLM, key, QStringLiteral("*")), QStringLiteral("archive"));
    EXPECT_TRUE(home.readFile(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg")).contains("@=\"archive\""));

    EXPECT_TRUE(reg.REGDeleteSetting(HKLM, key, QStringLiteral("*")));
    EXPECT_FALSE(reg.REGDeleteSetting(HKLM, key, QStringLiteral("*")));
    EXPECT_FALSE(reg.REGDeleteSetting(HKLM, QStringLiteral("Software\\Classes"), QString())) << "it has a subkey";
    EXPECT_TRUE(reg.REGDeleteSetting(HKLM, key, QString()));
    EXPECT_FALSE(registry.keyExists(HKLM, key));
}

TEST(CRegister, ReadsAKeyThatCannotBeWritten)
{
    TestHome home;
    Registry registry(home.registryFolder());
    CRegister reg(registry);
    ASSERT_TRUE(
        reg.REGSaveSetting(HKLM, QStringLiteral("Software\\Locked"), QStringLiteral("Name"), QStringLiteral("kept")));
    const QString lock = registry.hivePath(HKLM) + QStringLiteral(".lock");
    QFile::remove(lock);
    QDir().mkpath(lock);
    EXPECT_FALSE(
        reg.REGSaveSetting(HKLM, QStringLiteral("Software\\Locked"), QStringLiteral("Name"), QStringLiteral("new")));
    EXPECT_EQ(reg.REGGetSetting(HKLM, QStringLiteral("Software\\Locked"), QStringLiteral("Name")),
              QStringLiteral("kept"));
}

} // namespace
