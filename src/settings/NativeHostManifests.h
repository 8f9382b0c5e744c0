#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The native-messaging host manifests by which the browsers find
// KEVA_IE_BHO for the capture extension: one JSON file per browser, in the
// folders where each reads the manifests of the user's own hosts. Chromium
// and Google Chrome name the extension by its ID in allowed_origins, Firefox
// by its add-on ID in allowed_extensions. Manifests are written atomically.
class NativeHostManifests {
public:
    // The name the extension asks for; the manifest file is "<name>.json".
    static inline const QString kHostName = QStringLiteral("org.quillspan.keva_ie_bho");
    // The ID Chromium gives the extension, from the public key in its
    // manifest ("key").
    static inline const QString kChromiumExtensionId = QStringLiteral("ceagmpklabpbmilhhehhadijiocnanlh");
    // The ID of the extension in Firefox (browser_specific_settings.gecko.id).
    static inline const QString kFirefoxExtensionId = QStringLiteral("keva-capture@quillspan");
    // The host program's name.
    static inline const QString kHostProgram = QStringLiteral("KEVA_IE_BHO");
    // The host program of the KEVA in `kevaFolder`: beside it (a build tree, a
    // copy unpacked into a folder), else where an installed copy keeps it,
    // <prefix>/lib/quillspan.
    static QString hostProgram(const QString& kevaFolder);

    enum class Family { Chromium, Firefox };

    // Chromium and Google Chrome: "NativeMessagingHosts" in
    // $XDG_CONFIG_HOME/chromium and $XDG_CONFIG_HOME/google-chrome
    // (XDG_CONFIG_HOME defaulting to ~/.config). Firefox:
    // ~/.mozilla/native-messaging-hosts.
    static QStringList folders(Family family);
    static QString fileName() { return kHostName + QStringLiteral(".json"); }

    // The manifest naming the host program at `hostPath`.
    static QByteArray manifest(Family family, const QString& hostPath);

    // Writes the manifest into every folder of the family, making a missing
    // folder; false when one could not be written.
    static bool install(Family family, const QString& hostPath);
    // Removes the manifest from every folder of the family; nothing else in
    // them is touched.
    static void remove(Family family);
};
