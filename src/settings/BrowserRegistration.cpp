#include "settings/BrowserRegistration.h"

#include "core/FileExists.h"
#include "settings/CRegister.h"

#include <QFile>

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

    QString profileKey;
    for (const QString& key : reg.GetAllKeys(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Mozilla"))) {
        if (key.toLower().contains(QStringLiteral("netscape")))
            profileKey = key;
    }
    if (profileKey.isEmpty())
        return;

    const QString pluginFolder = reg.REGGetSetting(
        RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Mozilla\\") + profileKey + QStringLiteral("\\Extensions"),
        QStringLiteral("Plugins"));
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
}
