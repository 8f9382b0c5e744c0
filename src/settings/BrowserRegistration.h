#pragma once

#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "settings/NativeHostManifests.h"

#include <QString>

// Switches browser click capture on and off: the registration of the browser
// helper for Internet Explorer and the host manifests of Chromium and Google
// Chrome, the plug-in of the Netscape family and the host manifest of
// Firefox. The manifests let the capture extension start KEVA_IE_BHO, the
// program beside the running one.
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

    // Records where the download manager is, installs (on) or removes (off)
    // Firefox's host manifest, then the plug-in in the plug-in folder of the
    // last Netscape profile.
    void netscapeClicks(bool on);
    // Creates (on) or deletes (off) the browser-helper registration key and
    // the host manifests of Chromium and Google Chrome.
    void IECapClicks(bool on);
    // Browser start switched off: removes the registration of the browser
    // extension {34DF0527-A105-4F28-8A64-E4A0DAEAD9F9}, step by step; a step
    // whose key or value is already gone does nothing. Nothing here ever
    // writes that registration, and switching browser start on restores none.
    void removeStartExtension();

private:
    void switchManifests(NativeHostManifests::Family family, bool on) const;

    Registry& registry_;
    ProgramFolder programFolder_;
    QString executablePath_;
};
