#include "settings/BrowserRegistration.h"

#include "core/FileExists.h"
#include "settings/CRegister.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr auto HKLM = RegistryRoot::HKEY_LOCAL_MACHINE;
constexpr auto HKCR = RegistryRoot::HKEY_CLASSES_ROOT;

struct Removal {
    RegistryRoot root;
    const char* key;
    const char* valueName; // empty: the key itself
};

#define KEVA_START_EXTENSION "{34DF0527-A105-4F28-8A64-E4A0DAEAD9F9}"
// In this order; some steps repeat, and a value goes after its key, which
// then fails quietly.
constexpr Removal kStartExtensionRemovals[] = {
    {HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", KEVA_START_EXTENSION},
    {HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" KEVA_START_EXTENSION, ""},
    {HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", KEVA_START_EXTENSION},
    {HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" KEVA_START_EXTENSION, ""},
    {HKCR, "CLSID\\" KEVA_START_EXTENSION "\\InprocServer32", ""},
    {HKCR, "CLSID\\" KEVA_START_EXTENSION "\\InprocServer32", "ThreadingModel"},
    {HKLM, "SOFTWARE\\Classes\\CLSID\\" KEVA_START_EXTENSION "\\InprocServer32", ""},
    {HKLM, "SOFTWARE\\Classes\\CLSID\\" KEVA_START_EXTENSION "\\InprocServer32", "ThreadingModel"},
    {HKLM, "SOFTWARE\\Classes\\TypeLib\\" KEVA_START_EXTENSION "\\InprocServer32\\1.0\\0\\win32", ""},
    {HKCR, "TypeLib\\" KEVA_START_EXTENSION "\\InprocServer32\\1.0\\0\\win32", ""},
};
#undef KEVA_START_EXTENSION

} // namespace

BrowserRegistration::BrowserRegistration(Registry& registry, ProgramFolder programFolder, QString executablePath)
    : registry_(registry)
    , programFolder_(std::move(programFolder))
    , executablePath_(std::move(executablePath))
{
}

void BrowserRegistration::netscapeClicks(bool on)
{
    CRegister reg(registry_);
    reg.REGSaveSetting(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Netscape"),
                       QStringLiteral("DownloadManagerPath"), executablePath_);
    switchManifests(NativeHostManifests::Family::Firefox, on);

    QString profileKey;
    for (const QString& key : reg.GetAllKeys(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Mozilla"))) {
        if (key.toLower().contains(QStringLiteral("netscape")))
            profileKey = key;
    }
    if (profileKey.isEmpty())
        return;

    const QString pluginFolder = reg.REGGetSetting(
        RegistryRoot::HKEY_CURRENT_USER,
        QStringLiteral("Software\\Mozilla\\") + profileKey + QStringLiteral("\\Extensions"), QStringLiteral("Plugins"));
    if (pluginFolder.isEmpty() || !pluginFolder.toLower().contains(QStringLiteral("plugins")))
        return;

    const QString installed = pluginFolder + QLatin1Char('/') + kPluginFile;
    if (on) {
        if (!FileExists(installed))
            QFile::copy(programFolder_.file(QStringLiteral("System/") + kPluginFile), installed);
    } else if (FileExists(installed)) {
        QFile::remove(installed);
    }
}

void BrowserRegistration::IECapClicks(bool on)
{
    CRegister reg(registry_);
    if (on)
        reg.REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, kHelperKey, QStringLiteral("*"), QString());
    else
        reg.REGDeleteSetting(RegistryRoot::HKEY_LOCAL_MACHINE, kHelperKey, QString());
    switchManifests(NativeHostManifests::Family::Chromium, on);
}

void BrowserRegistration::switchManifests(NativeHostManifests::Family family, bool on) const
{
    if (on)
        NativeHostManifests::install(family,
                                     NativeHostManifests::hostProgram(QFileInfo(executablePath_).absolutePath()));
    else
        NativeHostManifests::remove(family);
}

void BrowserRegistration::removeStartExtension()
{
    CRegister reg(registry_);
    for (const Removal& removal : kStartExtensionRemovals)
        reg.REGDeleteSetting(removal.root, QString::fromLatin1(removal.key), QString::fromLatin1(removal.valueName));
}
