#include "settings/NativeHostManifests.h"

#include "platform/AtomicFile.h"
#include "platform/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QStringList NativeHostManifests::folders(Family family)
{
    if (family == Family::Firefox)
        return {QDir::homePath() + QStringLiteral("/.mozilla/native-messaging-hosts")};
    const QString base = XdgFolders::configHome();
    return {QDir::cleanPath(base + QStringLiteral("/chromium/NativeMessagingHosts")),
            QDir::cleanPath(base + QStringLiteral("/google-chrome/NativeMessagingHosts"))};
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
    for (const QString& folder : folders(family))
        all = QDir().mkpath(folder) && AtomicFile::write(folder + QLatin1Char('/') + fileName(), text) && all;
    return all;
}

void NativeHostManifests::remove(Family family)
{
    for (const QString& folder : folders(family))
        QFile::remove(folder + QLatin1Char('/') + fileName());
}
