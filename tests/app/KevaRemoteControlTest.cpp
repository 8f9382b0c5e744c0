#include "KevaOnDisplay.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

const QString kScript = QStringLiteral(KEVA_SOURCE_DIR "/tests/rpc/aria2-client/drive.js");
const QString kClient = QStringLiteral(KEVA_ARIA2_CLIENT "/node_modules");

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

class KevaRemoteControl : public KevaOnDisplay { };

// From a first run with the port turned on for the run: a front end (the
// aria2 npm client) adds files, one with its session cookie for a page that
// wants it, and one that is not there. Three run at once and the rest wait;
// one is paused and goes on, one is removed; every other file arrives
// byte-exact, and the notifications tell each start and end.
TEST_F(KevaRemoteControl, AFrontEndDrivesTheJobListThroughTheQueue)
{
    const bool client = !QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty()
        && QFile::exists(kClient + QStringLiteral("/aria2/package.json"));
    const PeerRequirement tools = PeerRequirement::decide(
        client, client, qEnvironmentVariable("CI") == QStringLiteral("true"),
        QStringLiteral("nodejs npm, then scripts/setup test (it installs the aria2 npm client)"),
        QStringLiteral("node or the aria2 npm client missing"));
    ASSERT_NE(tools.outcome, PeerRequirement::Outcome::Fail) << tools.message;
    if (tools.outcome != PeerRequirement::Outcome::Ready)
        GTEST_SKIP() << tools.message;
    if (IsSkipped() || HasFatalFailure())
        return;

    constexpr int kFiles = 6;
    const QString www = home.path(QStringLiteral("www"));
    QDir().mkpath(www);
    QMap<QString, QByteArray> served;
    for (int n = 0; n <= kFiles; ++n) {
        const QString name = n == 0 ? QStringLiteral("r.bin") : QStringLiteral("r%1.bin").arg(n);
        QByteArray content(60000 + n * 3001, Qt::Uninitialized);
        for (qsizetype i = 0; i < content.size(); ++i)
            content[i] = static_cast<char>((i * 31 + n) % 251);
        home.writeFile(QStringLiteral("www/") + name, content);
        served.insert(name, sha256(content));
    }
    for (const QString& path : {home.path(QString()), www})
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOther | QFileDevice::ReadOther);
    for (const QString& name : served.keys())
        QFile::setPermissions(www + QLatin1Char('/') + name, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    NginxServer nginx(www);
    nginx.addRateLimitedLocation(QStringLiteral("/queued/"), 40 * 1024);
    nginx.addServerText(
        QStringLiteral("location /private/ { alias \"%1/\"; if ($cookie_sid != \"1\") { return 403; } }\n").arg(www));
    KEVA_REQUIRE_PEER(nginx);

    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    ASSERT_TRUE(startKeva({QStringLiteral("--enable-rpc"), QStringLiteral("--rpc-port"), QString::number(port),
                           QStringLiteral("--rpc-secret"), QStringLiteral("s3cret")}));
    const QString folder = home.path(QStringLiteral("remote"));
    QProcess node;
    QProcessEnvironment nodeEnvironment = QProcessEnvironment::systemEnvironment();
    nodeEnvironment.insert(QStringLiteral("NODE_PATH"), kClient);
    node.setProcessEnvironment(nodeEnvironment);
    node.start(QStandardPaths::findExecutable(QStringLiteral("node")),
               {kScript, QString::number(port), QStringLiteral("s3cret"), folder,
                nginx.url(QString()).toString(QUrl::StripTrailingSlash), QString::number(kFiles)});
    ASSERT_TRUE(node.waitForFinished(150000)) << "the front end is not done";
    const QJsonObject seen = QJsonDocument::fromJson(node.readAllStandardOutput()).object();
    ASSERT_FALSE(seen.isEmpty()) << node.readAllStandardError().constData();

    EXPECT_EQ(seen[QStringLiteral("active")].toInt(), 3) << "a first run's queue runs three at once";
    EXPECT_EQ(seen[QStringLiteral("waiting")].toArray().size(), kFiles + 2 - 3);
    EXPECT_EQ(seen[QStringLiteral("paused")].toString(), QStringLiteral("paused"));
    EXPECT_EQ(seen[QStringLiteral("removed")].toString(), QStringLiteral("removed"));
    const QJsonArray files = seen[QStringLiteral("files")].toArray();
    EXPECT_EQ(files.size(), kFiles);
    for (const QJsonValue& file : files) {
        const QString path = file.toString();
        EXPECT_EQ(sha256(home.readFile(QDir(home.path(QString())).relativeFilePath(path))),
                  served.value(QFileInfo(path).fileName()))
            << path.toStdString();
    }
    EXPECT_EQ(seen[QStringLiteral("firstEvents")].toArray(),
              QJsonArray({QStringLiteral("onDownloadStart"), QStringLiteral("onDownloadComplete")}));
    EXPECT_EQ(seen[QStringLiteral("missingEvents")].toArray().last().toString(), QStringLiteral("onDownloadError"));
    EXPECT_EQ(seen[QStringLiteral("stat")].toObject()[QStringLiteral("numStopped")].toString(),
              QString::number(kFiles + 2));
    terminate();
}

} // namespace
