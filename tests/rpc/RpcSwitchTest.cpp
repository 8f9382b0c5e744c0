#include "FakeDownloads.h"

#include "rpc/RpcServer.h"
#include "rpc/RpcSwitch.h"
#include "settings/KevaContext.h"

#include "support/TestHome.h"

#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

TEST(RpcCommandLine, TakesItsOptionsAndLeavesTheRest)
{
    const struct {
        const char* arguments;
        bool enable;
        std::optional<quint16> port;
        const char* secret;
        const char* rest;
        const char* problem;
    } cases[] = {
        {"KEVA http://a.test/f", false, std::nullopt, "", "KEVA http://a.test/f", ""},
        {"KEVA --enable-rpc --rpc-port 6801 --rpc-secret=s=1 /STARTUP", true, 6801, "s=1", "KEVA /STARTUP", ""},
        {"KEVA --rpc-port=0", false, std::nullopt, "", "", "--rpc-port needs a port from 1 to 65535, not 0"},
        {"KEVA --enable-rpc --rpc-secret", false, std::nullopt, "", "", "--rpc-secret needs a value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        QStringList arguments = QString::fromLatin1(c.arguments).split(QLatin1Char(' '));
        QString problem;
        const auto options = RpcCommandLine::take(arguments, problem);
        EXPECT_EQ(problem, QLatin1String(c.problem));
        if (!options)
            continue;
        EXPECT_EQ(options->enable, c.enable);
        EXPECT_EQ(options->port, c.port);
        EXPECT_EQ(options->secret, QLatin1String(c.secret));
        EXPECT_EQ(arguments.join(QLatin1Char(' ')), QLatin1String(c.rest));
    }
}

TEST(RpcSwitch, FollowsTheSettingsAndTellsWhenThePortIsTaken)
{
    TestHome home;
    KevaContext& context = home.newContext();
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    AppSettings& settings = context.appSettings;
    settings.RpcListenAddress = QStringLiteral("127.0.0.1");
    settings.RpcPort = taken.serverPort();
    settings.RpcSecret = QStringLiteral("s3cret");
    FakeDownloads downloads;
    RpcServer server(downloads);
    RpcSwitch rpc(context, server, {});

    rpc.apply();
    EXPECT_FALSE(server.isListening()) << "off by default";
    settings.RpcEnabled = true;
    rpc.apply();
    EXPECT_FALSE(server.isListening());
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text,
              QStringLiteral("Remote control cannot listen on 127.0.0.1 port %1: the port is in use by another "
                             "program. Choose another port on the Connections page of the settings.")
                  .arg(taken.serverPort()));

    taken.close();
    rpc.apply();
    EXPECT_TRUE(server.isListening());
    EXPECT_EQ(server.port(), settings.RpcPort);
    settings.RpcEnabled = false;
    rpc.apply();
    EXPECT_FALSE(server.isListening());

    RpcSwitch forThisRun(context, server, {true, std::nullopt, QStringLiteral("given")});
    forThisRun.apply();
    EXPECT_TRUE(server.isListening());
    EXPECT_EQ(server.settings().secret, QStringLiteral("given"));
    EXPECT_EQ(home.prompter.shown.size(), 1);
}

} // namespace
