#include "settings/BrowserRegistration.h"

#include "settings/CRegister.h"

#include "support/TestHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

constexpr auto HKCU = RegistryRoot::HKEY_CURRENT_USER;
constexpr auto HKLM = RegistryRoot::HKEY_LOCAL_MACHINE;

class BrowserRegistrationTest : public testing::Test {
protected:
    void SetUp() override
    {
        home.writeFile(QStringLiteral("home/System/NPLoadRelay.dll"), "plug-in");
        QDir().mkpath(home.path(QStringLiteral("early/plugins")));
        QDir().mkpath(home.path(QStringLiteral("late/plugins")));
    }
    void profile(const QString& key, const QString& folder)
    {
        reg.REGSaveSetting(HKCU, QStringLiteral("Software\\Mozilla\\") + key + QStringLiteral("\\Extensions"),
                           QStringLiteral("Plugins"), folder);
    }
    QString installed(const char* folder) const
    {
        return home.path(QString::fromLatin1(folder)) + QStringLiteral("/plugins/NPLoadRelay.dll");
    }

    TestHome home;
    Registry registry {home.registryFolder()};
    CRegister reg {registry};
    BrowserRegistration browsers {registry, ProgramFolder(home.programFolder(), QString()),
                                  QStringLiteral("/opt/bin/KEVA")};
};

TEST_F(BrowserRegistrationTest, InstallsIntoTheLastNetscapeProfileOnce)
{
    profile(QStringLiteral("Netscape 6.1"), home.path(QStringLiteral("early/plugins")));
    profile(QStringLiteral("Firefox"), home.path(QStringLiteral("elsewhere/plugins")));
    profile(QStringLiteral("NETSCAPE 7"), home.path(QStringLiteral("late/plugins")));

    browsers.netscapeClicks(true);
    EXPECT_EQ(reg.REGGetSetting(HKCU, QStringLiteral("Software\\Netscape"), QStringLiteral("DownloadManagerPath")),
              QStringLiteral("/opt/bin/KEVA"));
    EXPECT_TRUE(QFile::exists(installed("late")));
    EXPECT_FALSE(QFile::exists(installed("early")));

    // Switching on again leaves the installed copy as it is.
    home.writeFile(QStringLiteral("late/plugins/NPLoadRelay.dll"), "already there");
    browsers.netscapeClicks(true);
    EXPECT_EQ(home.readFile(QStringLiteral("late/plugins/NPLoadRelay.dll")), QByteArray("already there"));

    browsers.netscapeClicks(false);
    EXPECT_FALSE(QFile::exists(installed("late")));
    browsers.netscapeClicks(false); // nothing left to remove: no harm
}

TEST_F(BrowserRegistrationTest, APluginFolderWithoutThePluginsWordIsLeftAlone)
{
    QDir().mkpath(home.path(QStringLiteral("addons")));
    profile(QStringLiteral("Netscape"), home.path(QStringLiteral("addons")));
    browsers.netscapeClicks(true);
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("addons/NPLoadRelay.dll"))));
    EXPECT_EQ(reg.REGGetSetting(HKCU, QStringLiteral("Software\\Netscape"), QStringLiteral("DownloadManagerPath")),
              QStringLiteral("/opt/bin/KEVA"))
        << "the path is recorded all the same";
}

TEST_F(BrowserRegistrationTest, HelperKeyComesAndGoesWithoutItsClassRegistration)
{
    const QString classKey = QStringLiteral("CLSID\\") + BrowserRegistration::kHelperClassId
        + QStringLiteral("\\InprocServer32");
    reg.REGSaveSetting(RegistryRoot::HKEY_CLASSES_ROOT, classKey, QStringLiteral("*"),
                       QStringLiteral("/opt/lib/bho.so"));

    browsers.IECapClicks(true);
    EXPECT_TRUE(registry.keyExists(HKLM, BrowserRegistration::kHelperKey));
    EXPECT_EQ(registry.readValue(HKLM, BrowserRegistration::kHelperKey, QString()), QString());

    browsers.IECapClicks(false);
    EXPECT_FALSE(registry.keyExists(HKLM, BrowserRegistration::kHelperKey));
    EXPECT_TRUE(registry.keyExists(RegistryRoot::HKEY_CLASSES_ROOT, classKey));
}

} // namespace
