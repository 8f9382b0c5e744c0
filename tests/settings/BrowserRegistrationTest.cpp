#include "settings/BrowserRegistration.h"

#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/NativeHostManifests.h"
#include "settings/SwitchClickCapture.h"

#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

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

// Where the browsers look for the host manifests of the user, below the
// test's configuration and home folders. A sandboxed browser gets its
// manifest only when its own folder is there: the test makes it for those
// marked installed.
struct ManifestPlace {
    const char* folder; // below the TestHome
    NativeHostManifests::Family family;
    const char* sandboxFolder = nullptr; // the sandboxed browser's own folder
    bool installed = true;
};

const ManifestPlace kManifestPlaces[] = {
    {"config/chromium/NativeMessagingHosts", NativeHostManifests::Family::Chromium},
    {"config/google-chrome/NativeMessagingHosts", NativeHostManifests::Family::Chromium},
    {"user/.mozilla/native-messaging-hosts", NativeHostManifests::Family::Firefox},
    {"config/BraveSoftware/Brave-Browser/NativeMessagingHosts", NativeHostManifests::Family::Chromium},
    {"config/vivaldi/NativeMessagingHosts", NativeHostManifests::Family::Chromium},
    {"config/microsoft-edge/NativeMessagingHosts", NativeHostManifests::Family::Chromium},
    {"user/.var/app/org.chromium.Chromium/config/chromium/NativeMessagingHosts", NativeHostManifests::Family::Chromium,
     "user/.var/app/org.chromium.Chromium"},
    {"user/.var/app/org.mozilla.firefox/.mozilla/native-messaging-hosts", NativeHostManifests::Family::Firefox,
     "user/.var/app/org.mozilla.firefox"},
    {"user/snap/chromium/common/chromium/NativeMessagingHosts", NativeHostManifests::Family::Chromium,
     "user/snap/chromium"},
    {"user/snap/firefox/common/.mozilla/native-messaging-hosts", NativeHostManifests::Family::Firefox,
     "user/snap/firefox", false},
};

void installSandboxedBrowsers(const TestHome& home)
{
    for (const ManifestPlace& place : kManifestPlaces) {
        if (place.sandboxFolder && place.installed)
            QDir().mkpath(home.path(QString::fromLatin1(place.sandboxFolder)));
    }
}

QJsonObject manifestAt(const TestHome& home, const ManifestPlace& place)
{
    return QJsonDocument::fromJson(
               home.readFile(QString::fromLatin1(place.folder) + QLatin1Char('/') + NativeHostManifests::fileName()))
        .object();
}

// IECapClicks switches the manifests of Chromium and Google Chrome,
// netscapeClicks that of Firefox (with no Netscape profile in the registry);
// each names the host program beside KEVA and the extension by the ID its
// browser gives it.
TEST_F(BrowserRegistrationTest, HostManifestsComeAndGoWithTheirBrowsersSwitch)
{
    home.writeFile(QStringLiteral("config/chromium/NativeMessagingHosts/other.host.json"), "{}");
    installSandboxedBrowsers(home);
    browsers.IECapClicks(true);
    browsers.netscapeClicks(true);
    for (const ManifestPlace& place : kManifestPlaces) {
        if (!place.installed) {
            EXPECT_FALSE(QFileInfo::exists(home.path(QString::fromLatin1(place.sandboxFolder))))
                << "nothing made for a browser that is not there: " << place.folder;
            continue;
        }
        const QJsonObject manifest = manifestAt(home, place);
        EXPECT_EQ(manifest.value(QStringLiteral("name")).toString(), QStringLiteral("org.quillspan.keva_ie_bho"))
            << place.folder;
        EXPECT_EQ(manifest.value(QStringLiteral("path")).toString(), QStringLiteral("/opt/bin/KEVA_IE_BHO"));
        EXPECT_EQ(manifest.value(QStringLiteral("type")).toString(), QStringLiteral("stdio"));
        if (place.family == NativeHostManifests::Family::Chromium) {
            EXPECT_EQ(manifest.value(QStringLiteral("allowed_origins")).toArray(),
                      QJsonArray {QStringLiteral("chrome-extension://ceagmpklabpbmilhhehhadijiocnanlh/")});
            EXPECT_FALSE(manifest.contains(QStringLiteral("allowed_extensions")));
        } else {
            EXPECT_EQ(manifest.value(QStringLiteral("allowed_extensions")).toArray(),
                      QJsonArray {QStringLiteral("keva-capture@quillspan")});
            EXPECT_FALSE(manifest.contains(QStringLiteral("allowed_origins")));
        }
    }

    browsers.IECapClicks(false);
    EXPECT_TRUE(manifestAt(home, kManifestPlaces[2]).contains(QStringLiteral("path"))) << "Firefox's stays";
    browsers.netscapeClicks(false);
    for (const ManifestPlace& place : kManifestPlaces)
        EXPECT_TRUE(QDir(home.path(QString::fromLatin1(place.folder)))
                        .entryList({QStringLiteral("org.quillspan*")}, QDir::Files | QDir::Hidden)
                        .isEmpty())
            << place.folder;
    EXPECT_EQ(home.readFile(QStringLiteral("config/chromium/NativeMessagingHosts/other.host.json")), "{}")
        << "other hosts' manifests stay";
}

// A manifest left from an older program folder is replaced whole, and no
// temporary file stays beside it.
TEST_F(BrowserRegistrationTest, AnOldManifestIsReplacedWhole)
{
    const QString folder = QStringLiteral("config/chromium/NativeMessagingHosts/");
    home.writeFile(folder + NativeHostManifests::fileName(),
                   QByteArray(R"({"name":"org.quillspan.keva_ie_bho","path":"/old/place/KEVA_IE_BHO")")
                       + QByteArray(4000, ' ') + "}");
    browsers.IECapClicks(true);
    EXPECT_EQ(
        home.readFile(folder + NativeHostManifests::fileName()),
        NativeHostManifests::manifest(NativeHostManifests::Family::Chromium, QStringLiteral("/opt/bin/KEVA_IE_BHO")));
    EXPECT_EQ(QDir(home.path(folder)).entryList(QDir::Files | QDir::Hidden),
              QStringList {NativeHostManifests::fileName()});
}

// The tray item and the settings box switch everything at once, for the
// program folder of the running KEVA.
TEST(SwitchClickCaptureManifests, OnInstallsThemAllOffRemovesThem)
{
    TestHome home;
    KevaContext& context = home.newContext();
    const QString host = QFileInfo(context.executablePath).absolutePath() + QStringLiteral("/KEVA_IE_BHO");
    installSandboxedBrowsers(home);
    SwitchClickCapture(context, true);
    for (const ManifestPlace& place : kManifestPlaces)
        EXPECT_EQ(manifestAt(home, place).value(QStringLiteral("path")).toString(), place.installed ? host : QString())
            << place.folder;
    SwitchClickCapture(context, false);
    for (const ManifestPlace& place : kManifestPlaces)
        EXPECT_FALSE(QFile::exists(home.path(QString::fromLatin1(place.folder)) + QLatin1Char('/')
                                   + NativeHostManifests::fileName()))
            << place.folder;
}

// The manifests name the host program beside KEVA in a build tree or an
// unpacked copy, and the one in <prefix>/lib/quillspan of an installed copy.
TEST(NativeHostManifests, FindTheHostProgramBesideKevaOrWhereAnInstalledCopyKeepsIt)
{
    struct Case {
        QStringList existing; // below the test's root
        const char* expected;
    };
    const Case cases[] = {
        {{QStringLiteral("prefix/bin/KEVA_IE_BHO"), QStringLiteral("prefix/lib/quillspan/KEVA_IE_BHO")},
         "prefix/bin/KEVA_IE_BHO"},
        {{QStringLiteral("prefix/lib/quillspan/KEVA_IE_BHO")}, "prefix/lib/quillspan/KEVA_IE_BHO"},
        {{}, "prefix/bin/KEVA_IE_BHO"},
    };
    for (const Case& c : cases) {
        TestHome home;
        QDir().mkpath(home.path(QStringLiteral("prefix/bin")));
        for (const QString& file : c.existing)
            home.writeFile(file, "#!/bin/sh\n");
        EXPECT_EQ(NativeHostManifests::hostProgram(home.path(QStringLiteral("prefix/bin"))),
                  home.path(QString::fromLatin1(c.expected)))
            << c.existing.join(QLatin1Char(' ')).toStdString();
    }
}

} // namespace
