#include "KevaOnDisplay.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QEventLoop>
#include <QMap>
#include <QTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
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

// KEVA with its port on, and nginx serving files r.bin and r1.bin to r6.bin
// (under /queued/ slowly, under /private/ only with the cookie sid=1).
class KevaRemoteControl : public KevaOnDisplay {
protected:
    static constexpr int kFiles = 6;

    void SetUp() override
    {
        KevaOnDisplay::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const QString www = home.path(QStringLiteral("www"));
        QDir().mkpath(www);
        for (int n = 0; n <= kFiles; ++n) {
            const QString name = n == 0 ? QStringLiteral("r.bin") : QStringLiteral("r%1.bin").arg(n);
            QByteArray content(60000 + n * 3001, Qt::Uninitialized);
            for (qsizetype i = 0; i < content.size(); ++i)
                content[i] = static_cast<char>((i * 31 + n) % 251);
            home.writeFile(QStringLiteral("www/") + name, content);
            served.insert(name, sha256(content));
            QFile::setPermissions(www + QLatin1Char('/') + name, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        }
        for (const QString& path : {home.path(QString()), www})
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOther | QFileDevice::ReadOther);
        nginx.addRateLimitedLocation(QStringLiteral("/queued/"), 40 * 1024);
        nginx.addServerText(
            QStringLiteral("location /private/ { alias \"%1/\"; if ($cookie_sid != \"1\") { return 403; } }\n")
                .arg(www));
        KEVA_REQUIRE_PEER(nginx);
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    QStringList portOn() const
    {
        return {QStringLiteral("--enable-rpc"), QStringLiteral("--rpc-port"), QString::number(port),
                QStringLiteral("--rpc-secret"), QStringLiteral("s3cret")};
    }
    // The sha256 of the file of `path` below the test's home.
    QByteArray savedSha(const QString& path) const
    {
        return sha256(home.readFile(QDir(home.path(QString())).relativeFilePath(path)));
    }

    NginxServer nginx {home.path(QStringLiteral("www"))};
    QMap<QString, QByteArray> served;
    quint16 port = 0;
};

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

    ASSERT_TRUE(startKeva(portOn()));
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
        EXPECT_EQ(savedSha(path), served.value(QFileInfo(path).fileName())) << path.toStdString();
    }
    EXPECT_EQ(seen[QStringLiteral("firstEvents")].toArray(),
              QJsonArray({QStringLiteral("onDownloadStart"), QStringLiteral("onDownloadComplete")}));
    EXPECT_EQ(seen[QStringLiteral("missingEvents")].toArray().last().toString(), QStringLiteral("onDownloadError"));
    EXPECT_EQ(seen[QStringLiteral("stat")].toObject()[QStringLiteral("numStopped")].toString(),
              QString::number(kFiles + 2));
    terminate();
}

// Without windows and without a display: a URL handed in by a second start
// and one added by a remote client arrive byte-exact, as rows of the list;
// another KEVA without windows is refused; SIGTERM ends it with the list saved.
TEST_F(KevaRemoteControl, RunsWithoutWindowsOrADisplay)
{
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    ASSERT_TRUE(startKeva(QStringList {QStringLiteral("--no-windows")} + portOn()));
    EXPECT_EQ(secondStart(nginx.url(QStringLiteral("/r1.bin")).toString()), 0);
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/jsonrpc").arg(port)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const QJsonObject call {
        {QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
        {QStringLiteral("id"), 1},
        {QStringLiteral("method"), QStringLiteral("aria2.addUri")},
        {QStringLiteral("params"),
         QJsonArray {QStringLiteral("token:s3cret"), QJsonArray {nginx.url(QStringLiteral("/r2.bin")).toString()},
                     QJsonObject {{QStringLiteral("dir"), home.path(QStringLiteral("remote"))}}}}};
    QNetworkReply* reply = network.post(request, QJsonDocument(call).toJson());
    QEventLoop answered;
    QObject::connect(reply, &QNetworkReply::finished, &answered, &QEventLoop::quit);
    QTimer::singleShot(20000, &answered, &QEventLoop::quit);
    answered.exec();
    ASSERT_TRUE(reply->isFinished());
    EXPECT_TRUE(QJsonDocument::fromJson(reply->readAll()).object().contains(QStringLiteral("result")));
    reply->deleteLater();

    const QString handed = home.path(QStringLiteral("user/Downloads/r1.bin"));
    const QString added = home.path(QStringLiteral("remote/r2.bin"));
    EXPECT_TRUE(waitFor([&] { return savedSha(handed) == served.value(QStringLiteral("r1.bin")); }, 60000));
    EXPECT_TRUE(waitFor([&] { return savedSha(added) == served.value(QStringLiteral("r2.bin")); }, 60000));

    QProcess another;
    another.setProcessEnvironment(environment);
    another.start(keva, {QStringLiteral("--no-windows")});
    ASSERT_TRUE(another.waitForFinished(20000));
    EXPECT_EQ(another.exitCode(), 1);
    EXPECT_TRUE(another.readAllStandardError().contains("already runs"));

    const QByteArray history = terminate();
    EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running.exitCode(), 0);
    EXPECT_EQ(history.count("\r\n100%\r\n"), 2) << history.constData();
}

} // namespace
