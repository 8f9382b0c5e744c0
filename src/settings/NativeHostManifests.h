#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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

    // A folder where a browser reads the manifests, and the browser's own
    // folder that must exist before the manifest is written there: a
    // sandboxed browser (Flatpak, Snap) has one only when it is installed.
    // Empty for a browser whose folder is made when missing.
    struct Place {
        QString folder;
        QString browserFolder;
    };
    // The Chromium family: "NativeMessagingHosts" in
    // $XDG_CONFIG_HOME/chromium, google-chrome, BraveSoftware/Brave-Browser,
    // vivaldi and microsoft-edge (XDG_CONFIG_HOME defaulting to ~/.config),
    // and in the Flatpak and Snap Chromium's own configuration. Firefox:
    // ~/.mozilla/native-messaging-hosts, and the same in the Flatpak and
    // Snap Firefox's own folders.
    static QList<Place> places(Family family);
    static QString fileName() { return kHostName + QStringLiteral(".json"); }

    // The manifest naming the host program at `hostPath`.
    static QByteArray manifest(Family family, const QString& hostPath);

    // Writes the manifest into every folder of the family whose browser
    // folder exists, making a missing manifest folder; false when one could
    // not be written.
    static bool install(Family family, const QString& hostPath);
    // Removes the manifest from every folder of the family; nothing else in
    // them is touched.
    static void remove(Family family);
};
