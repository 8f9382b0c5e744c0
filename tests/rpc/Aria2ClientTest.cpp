#include "FakeDownloads.h"

#include "rpc/RpcServer.h"

#include "support/PeerRequirement.h"
#include "support/TestLabels.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kScript = QStringLiteral(KEVA_SOURCE_DIR "/tests/rpc/aria2-client/shapes.js");
const QString kClient = QStringLiteral(KEVA_ARIA2_CLIENT "/node_modules");

bool onCi()
{
    return qEnvironmentVariable("CI") == QStringLiteral("true");
}

// What tests/rpc/aria2-client/shapes.js prints of the server on `port`; the
// event loop runs meanwhile, so that a server of this process answers.
QJsonDocument shapesOf(quint16 port)
{
    QProcess node;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NODE_PATH"), kClient);
    node.setProcessEnvironment(environment);
    node.start(QStandardPaths::findExecutable(QStringLiteral("node")),
               {kScript, QString::number(port), QStringLiteral("s3cret")});
    if (!QTest::qWaitFor([&node] { return node.state() == QProcess::NotRunning; }, 60000))
        node.kill();
    const QJsonDocument shapes = QJsonDocument::fromJson(node.readAllStandardOutput());
    EXPECT_TRUE(shapes.isObject()) << node.readAllStandardError().constData();
    return shapes;
}

// The aria2 npm client, as aria2's users drive it, gets from KEVA's port the
// answers, errors and notifications that it gets from aria2c itself, shape
// for shape: the same keys, every number a text.
TEST(Aria2Client, GetsTheShapesThatAria2cAnswers)
{
    if (const QString refusal = TestLabels::refusal(QStringLiteral("peer"), QStringLiteral("aria2c and node"));
        !refusal.isEmpty())
        FAIL() << refusal.toStdString();
    const bool client = !QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty()
        && QFile::exists(kClient + QStringLiteral("/aria2/package.json"));
    const QString aria2c = QStandardPaths::findExecutable(QStringLiteral("aria2c"));
    const PeerRequirement tools = PeerRequirement::decide(
        client && !aria2c.isEmpty(), client && !aria2c.isEmpty(), onCi(),
        QStringLiteral("aria2 nodejs npm, then scripts/setup test (it installs the aria2 npm client)"),
        QStringLiteral("aria2c, node or the aria2 npm client missing"));
    if (tools.outcome == PeerRequirement::Outcome::Skip)
        GTEST_SKIP() << tools.message;
    ASSERT_EQ(tools.outcome, PeerRequirement::Outcome::Ready) << tools.message;

    FakeDownloads downloads;
    RpcServer server(downloads);
    RpcServerSettings settings;
    settings.port = 0;
    settings.secret = QStringLiteral("s3cret");
    ASSERT_EQ(server.start(settings), RpcServer::Refusal::None);
    const QJsonDocument keva = shapesOf(server.port());

    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QTemporaryDir folder;
    QProcess peer;
    peer.start(aria2c,
               {QStringLiteral("--no-conf"), QStringLiteral("--enable-rpc"),
                QStringLiteral("--rpc-listen-port=%1").arg(port), QStringLiteral("--rpc-secret=s3cret"),
                QStringLiteral("--dir=") + folder.path(), QStringLiteral("--quiet")});
    ASSERT_TRUE(QTest::qWaitFor(
        [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            return socket.waitForConnected(200);
        },
        10000))
        << "aria2c does not listen";
    const QJsonDocument aria2 = shapesOf(port);
    peer.terminate();
    ASSERT_TRUE(peer.waitForFinished(10000));

    EXPECT_EQ(keva.toJson().toStdString(), aria2.toJson().toStdString());
    EXPECT_EQ(downloads.commands, QStringList {QStringLiteral("unpause ") + downloads.items.first().gid});
}

} // namespace
