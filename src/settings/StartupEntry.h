#pragma once

#include "platform/DesktopAutostart.h"
#include "platform/Registry.h"

#include <QString>

// Start with the desktop session. The Run value under HKEY_LOCAL_MACHINE
// records the start-up command as the settings have always kept it; the
// desktop's autostart entry, which starts this program with "/STARTUP", is
// what makes the session start it.
class StartupEntry {
public:
    static inline const QString kRunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    // The switch of a start by the session; it means nothing to the program.
    static inline const QString kStartupSwitch = QStringLiteral("/STARTUP");

    StartupEntry(Registry& registry, DesktopAutostart autostart, QString executablePath);

    // The Run value's data: "KEVA.exe" in the program folder, then " /STARTUP".
    static QString commandLineFor(const QString& programFolder);

    // Writes the Run value `entryName` = `commandLine` and the autostart
    // entry `entryName` that starts the running program's own file.
    void DoStartUp(const QString& commandLine, const QString& entryName);
    // Deletes the Run value `entryName` and the autostart entry; the command
    // line is not used.
    void DoNotStartUp(const QString& commandLine, const QString& entryName);
    // Creates the key when needed and writes the text; the hive reaches the
    // disk before this returns. Failures are silent.
    void WriteReg(RegistryRoot root, const QString& key, const QString& valueName, const QString& text);

private:
    Registry& registry_;
    DesktopAutostart autostart_;
    QString executablePath_;
};
