#include "settings/NativeHostManifests.h"

#include "support/PeerRequirement.h"
#include "support/TestLabels.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

const QString kExtension = QStringLiteral(KEVA_SOURCE_DIR "/browser-extension");
const QString kBrowserTools = QStringLiteral(KEVA_BROWSER_TOOLS);

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The IDs by which KEVA's host manifests allow the extension are those the
// browsers give it: Chromium's comes from the public key in the manifest
// (the first 128 bits of its SHA-256, written with the letters a to p),
// Firefox's is written in it. The extension asks for the host by its name.
TEST(BrowserExtension, TheHostManifestsNameTheExtensionByItsIds)
{
    const QJsonObject manifest = QJsonDocument::fromJson(read(kExtension + QStringLiteral("/manifest.json"))).object();
    ASSERT_EQ(manifest.value(QStringLiteral("manifest_version")).toInt(), 3);
    const QByteArray key = QByteArray::fromBase64(manifest.value(QStringLiteral("key")).toString().toLatin1());
    ASSERT_GT(key.size(), 200) << "a public key in DER form";
    QString id;
    for (const char digit : QCryptographicHash::hash(key, QCryptographicHash::Sha256).left(16).toHex())
        id += QChar(u'a' + QByteArray(1, digit).toInt(nullptr, 16));
    EXPECT_EQ(id, NativeHostManifests::kChromiumExtensionId);
    EXPECT_EQ(manifest[QStringLiteral("browser_specific_settings")][QStringLiteral("gecko")][QStringLiteral("id")],
              NativeHostManifests::kFirefoxExtensionId);
    EXPECT_TRUE(read(kExtension + QStringLiteral("/background.js"))
                    .contains("const HOST = '" + NativeHostManifests::kHostName.toLatin1() + "';"));
}

// Firefox's own checker of extensions (web-ext lint) finds no error in the
// same tree. Its one warning is expected: Firefox runs the background script
// as a page and ignores the service-worker entry that Chromium uses.
TEST(BrowserExtensionLint, FirefoxsCheckerFindsNoErrors)
{
    if (const QString refusal = TestLabels::refusal(QStringLiteral("peer"), QStringLiteral("web-ext"));
        !refusal.isEmpty())
        FAIL() << refusal.toStdString();
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    const QString webExt = kBrowserTools + QStringLiteral("/node_modules/web-ext/bin/web-ext.js");
    const bool installed = !node.isEmpty() && QFile::exists(webExt);
    const PeerRequirement tool = PeerRequirement::decide(
        installed, installed, qEnvironmentVariable("CI") == QStringLiteral("true"),
        QStringLiteral("nodejs npm, then scripts/setup test (it installs web-ext)"), QStringLiteral("web-ext missing"));
    if (tool.outcome == PeerRequirement::Outcome::Skip)
        GTEST_SKIP() << tool.message;
    ASSERT_EQ(tool.outcome, PeerRequirement::Outcome::Ready) << tool.message;

    QProcess lint;
    lint.start(node,
               {webExt, QStringLiteral("lint"), QStringLiteral("--no-config-discovery"), QStringLiteral("--output"),
                QStringLiteral("json"), QStringLiteral("--source-dir"), kExtension});
    ASSERT_TRUE(lint.waitForFinished(120000));
    const QJsonObject report = QJsonDocument::fromJson(lint.readAllStandardOutput()).object();
    ASSERT_TRUE(report.contains(QStringLiteral("summary"))) << lint.readAllStandardError().constData();
    EXPECT_EQ(report[QStringLiteral("summary")][QStringLiteral("errors")].toInt(-1), 0)
        << QJsonDocument(report.value(QStringLiteral("errors")).toArray()).toJson().constData();
    QStringList warnings;
    for (const QJsonValue warning : report.value(QStringLiteral("warnings")).toArray())
        warnings.append(warning[QStringLiteral("code")].toString());
    EXPECT_EQ(warnings, QStringList {QStringLiteral("BACKGROUND_SERVICE_WORKER_IGNORED")});
    EXPECT_EQ(report[QStringLiteral("metadata")][QStringLiteral("id")].toString(),
              NativeHostManifests::kFirefoxExtensionId);
}

} // namespace
