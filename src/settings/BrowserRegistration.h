#pragma once

#include "platform/ProgramFolder.h"
#include "platform/Registry.h"

#include <QString>

// Switches browser click capture on and off: the registration of the browser
// helper for Internet Explorer, and the plug-in of the Netscape family.
// Nothing here reports a failure; a missing key or folder means there is
// nothing to do.
class BrowserRegistration {
public:
    static inline const QString kHelperClassId = QStringLiteral("{D5B72AED-E54A-11D6-B1B2-444553540000}");
    static inline const QString kHelperKey =
        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\")
        + kHelperClassId;
    static inline const QString kPluginFile = QStringLiteral("NPLoadRelay.dll");

    BrowserRegistration(Registry& registry, ProgramFolder programFolder, QString executablePath);

    // Records where the download manager is, then installs (on) or removes
    // (off) the plug-in in the plug-in folder of the last Netscape profile.
    void netscapeClicks(bool on);
    // Creates (on) or deletes (off) the browser-helper registration key.
    void IECapClicks(bool on);
    // Browser start switched off: removes the registration of the browser
    // extension {34DF0527-A105-4F28-8A64-E4A0DAEAD9F9}, step by step; a step
    // whose key or value is already gone does nothing. Nothing here ever
    // writes that registration, and switching browser start on restores none.
    void removeStartExtension();

private:
    Registry& registry_;
    ProgramFolder programFolder_;
    QString executablePath_;
};
