#include "settings/NativeHostManifests.h"

#include "platform/AtomicFile.h"
#include "platform/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QList<NativeHostManifests::Place> NativeHostManifests::places(Family family)
{
    const QString home = QDir::homePath();
    const QString flatpak = home + QStringLiteral("/.var/app/");
    const QString snap = home + QStringLiteral("/snap/");
    if (family == Family::Firefox) {
        const QString hosts = QStringLiteral("/.mozilla/native-messaging-hosts");
        return {
            {home + hosts, {}},
            {flatpak + QStringLiteral("org.mozilla.firefox") + hosts, flatpak + QStringLiteral("org.mozilla.firefox")},
            {snap + QStringLiteral("firefox/common") + hosts, snap + QStringLiteral("firefox")}};
    }
    const QString base = XdgFolders::configHome();
    QList<Place> places;
    for (const char* browser :
         {"chromium", "google-chrome", "BraveSoftware/Brave-Browser", "vivaldi", "microsoft-edge"})
        places.append({QDir::cleanPath(base + QLatin1Char('/') + QLatin1String(browser)
                                       + QStringLiteral("/NativeMessagingHosts")),
                       {}});
    places.append({flatpak + QStringLiteral("org.chromium.Chromium/config/chromium/NativeMessagingHosts"),
                   flatpak + QStringLiteral("org.chromium.Chromium")});
    places.append(
        {snap + QStringLiteral("chromium/common/chromium/NativeMessagingHosts"), snap + QStringLiteral("chromium")});
    return places;
}

QString NativeHostManifests::hostProgram(const QString& kevaFolder)
{
    const QString beside = QDir(kevaFolder).filePath(kHostProgram);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(kevaFolder + QStringLiteral("/../lib/quillspan/") + kHostProgram);
    return QFileInfo::exists(installed) ? installed : beside;
}

QByteArray NativeHostManifests::manifest(Family family, const QString& hostPath)
{
    QJsonObject object {
        {QStringLiteral("name"), kHostName},
        {QStringLiteral("description"), QStringLiteral("Hands the links KEVA takes from the browser to KEVA")},
        {QStringLiteral("path"), hostPath},
        {QStringLiteral("type"), QStringLiteral("stdio")},
    };
    if (family == Family::Chromium)
        object.insert(QStringLiteral("allowed_origins"),
                      QJsonArray {QStringLiteral("chrome-extension://%1/").arg(kChromiumExtensionId)});
    else
        object.insert(QStringLiteral("allowed_extensions"), QJsonArray {kFirefoxExtensionId});
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool NativeHostManifests::install(Family family, const QString& hostPath)
{
    const QByteArray text = manifest(family, hostPath);
    bool all = true;
    for (const Place& place : places(family)) {
        if (!place.browserFolder.isEmpty() && !QFileInfo(place.browserFolder).isDir())
            continue;
        all = QDir().mkpath(place.folder) && AtomicFile::write(place.folder + QLatin1Char('/') + fileName(), text)
            && all;
    }
    return all;
}

void NativeHostManifests::remove(Family family)
{
    for (const Place& place : places(family))
        QFile::remove(place.folder + QLatin1Char('/') + fileName());
}
