#include "settings/StartupEntry.h"

StartupEntry::StartupEntry(Registry& registry, DesktopAutostart autostart, QString executablePath)
    : registry_(registry)
    , autostart_(std::move(autostart))
    , executablePath_(std::move(executablePath))
{
}

QString StartupEntry::commandLineFor(const QString& programFolder)
{
    return programFolder + QStringLiteral("/KEVA.exe ") + kStartupSwitch;
}

void StartupEntry::DoStartUp(const QString& commandLine, const QString& entryName)
{
    WriteReg(RegistryRoot::HKEY_LOCAL_MACHINE, kRunKey, entryName, commandLine);
    autostart_.write(entryName, executablePath_, {kStartupSwitch});
}

void StartupEntry::DoNotStartUp(const QString& /*commandLine*/, const QString& entryName)
{
    registry_.deleteValue(RegistryRoot::HKEY_LOCAL_MACHINE, kRunKey, entryName);
    autostart_.remove(entryName);
}

void StartupEntry::WriteReg(RegistryRoot root, const QString& key, const QString& valueName, const QString& text)
{
    // The registry replaces the hive file through a flushed temporary file,
    // so the write is on disk once it returns.
    registry_.writeValue(root, key, valueName, text);
}
