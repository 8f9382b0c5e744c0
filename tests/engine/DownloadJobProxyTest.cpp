// Downloads through tinyproxy and squid: http:// asked of the proxy, https://
// through a CONNECT tunnel, ftp:// fetched by the proxy, the proxy's login
// going to the proxy alone, and a wrong one refused.
#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "engine/TlsTrust.h"
#include "settings/KevaContext.h"

#include "support/CaseName.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestCertificates.h"
#include "support/PyftpdlibServer.h"
#include "support/SquidServer.h"
#include "support/TinyproxyServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace {

enum class Proxy { Tinyproxy, Squid };

std::unique_ptr<ProxyPeerServer> proxyOf(Proxy kind)
{
    if (kind == Proxy::Squid)
        return std::make_unique<SquidServer>();
    return std::make_unique<TinyproxyServer>();
}

// How many lines of the proxy's log contain `text`, once it has logged at
// least `atLeast` of them (a proxy may log a tunnel only once it has closed).
qsizetype linesWith(const ProxyPeerServer& proxy, const QString& text, qsizetype atLeast)
{
    const QDeadlineTimer deadline(5000);
    while (proxy.log().count(text) < atLeast && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return proxy.log().count(text);
}

struct ProxyCase {
    const char* name;
    Proxy kind;
    bool https;
    const char* proxyLogin; // what the proxy asks for, "" for nothing
    const char* givenLogin; // what the settings send, "" for nothing
    const char* failure;    // "" for a success
};

class DownloadJobProxy : public EngineTest, public testing::WithParamInterface<ProxyCase> {
protected:
    void TearDown() override { TlsTrust::reset(); }
};

TEST_P(DownloadJobProxy, GoesThroughTheProxyAndKeepsItsLoginFromTheServer)
{
    const ProxyCase& c = GetParam();
    const TestCertificates& certificates = TestCertificates::instance();
    ASSERT_TRUE(certificates.ok()) << certificates.error().toStdString();
    QString problem;
    ASSERT_TRUE(TlsTrust::addAuthorities(certificates.authority(), &problem)) << problem.toStdString();

    const QString name = files.make(300000);
    NginxServer nginx(files.root());
    if (c.https)
        nginx.useTls(certificates.server().certificate, certificates.server().key);
    // What reaches the server: any proxy login, and the proxy's Via line.
    const QString heard = nginx.folder() + QStringLiteral("/heard.log");
    nginx.addHttpText(QStringLiteral("    log_format heard '$http_proxy_authorization|$http_via';\n"
                                     "    access_log \"%1\" heard;\n")
                          .arg(heard));
    KEVA_REQUIRE_PEER(nginx);
    const auto proxy = proxyOf(c.kind);
    const QStringList login = QString::fromLatin1(c.proxyLogin).split(QLatin1Char(':'));
    if (*c.proxyLogin)
        proxy->requireLogin(login[0], login[1]);
    KEVA_REQUIRE_PEER(*proxy);

    AppSettings& settings = context->appSettings;
    settings.UseProxy = true;
    settings.ProxyServer = QStringLiteral("127.0.0.1");
    settings.ProxyPort = proxy->port();
    if (*c.givenLogin) {
        const QStringList given = QString::fromLatin1(c.givenLogin).split(QLatin1Char(':'));
        settings.LoginProxy = true;
        settings.UserID = given[0];
        settings.UsePass = true;
        settings.UserPass = given[1];
    }

    const auto result = runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(name));
    if (*c.failure) {
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(result.failure, QString::fromLatin1(c.failure));
        EXPECT_TRUE(result.job->view().lblStatusIsError);
        EXPECT_TRUE(nginx.accessLog().isEmpty()) << "nothing reached the server";
        return;
    }
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    const QList<AccessLogEntry> requests = nginx.accessLog(1);
    ASSERT_FALSE(requests.isEmpty());
    QFile heardFile(heard);
    ASSERT_TRUE(heardFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = heardFile.readAll().trimmed().split('\n');
    EXPECT_EQ(lines.size(), requests.size());
    for (const QByteArray& line : lines) {
        EXPECT_TRUE(line.startsWith("-|")) << "a proxy login reached the server: " << line.toStdString();
        if (!c.https) {
            EXPECT_TRUE(line.contains(c.kind == Proxy::Squid ? "squid" : "tinyproxy"))
                << "not through the proxy: " << line.toStdString();
        }
    }
    if (c.https) {
        const QString tunnel = QStringLiteral("CONNECT 127.0.0.1:%1").arg(nginx.port());
        // A proxy logs a tunnel once it closes: the kept ones close with the runner.
        runner.reset();
        const qsizetype tunnels = linesWith(*proxy, tunnel, 1);
        EXPECT_GE(tunnels, 1) << "through a tunnel";
        EXPECT_LT(tunnels, requests.size()) << "the next request goes through the tunnel kept open";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobProxy,
    testing::Values(ProxyCase {"Http", Proxy::Tinyproxy, false, "", "", ""},
                    ProxyCase {"HttpWithLogin", Proxy::Tinyproxy, false, "keva:s3cret", "keva:s3cret", ""},
                    ProxyCase {"HttpsThroughATunnel", Proxy::Tinyproxy, true, "keva:s3cret", "keva:s3cret", ""},
                    // tinyproxy 1.11 refuses a wrong login with 401 (not 407):
                    // the job shows the text of the code the proxy sent.
                    ProxyCase {"HttpWrongPassword", Proxy::Tinyproxy, false, "keva:s3cret", "keva:wrong",
                               "HTTP 401.x-You are not authorized to view this page"},
                    ProxyCase {"HttpsWrongPassword", Proxy::Tinyproxy, true, "keva:s3cret", "keva:wrong",
                               "HTTP 401.x-You are not authorized to view this page"},
                    ProxyCase {"SquidHttpWithLogin", Proxy::Squid, false, "keva:s3cret", "keva:s3cret", ""},
                    ProxyCase {"SquidHttpsThroughATunnel", Proxy::Squid, true, "keva:s3cret", "keva:s3cret", ""},
                    ProxyCase {"SquidHttpWrongPassword", Proxy::Squid, false, "keva:s3cret", "keva:wrong",
                               "HTTP 407 - Proxy Authentication Required"},
                    ProxyCase {"SquidHttpsWrongPassword", Proxy::Squid, true, "keva:s3cret", "keva:wrong",
                               "HTTP 407 - Proxy Authentication Required"}),
    CaseName());

// With the FTP proxy setting on, squid fetches the ftp:// file and hands it
// over HTTP; the FTP server sees squid, not KEVA.
TEST_F(EngineTest, FtpThroughSquidWithTheFtpProxySetting)
{
    const QString name = files.make(700000);
    PyftpdlibServer ftp(files.root());
    KEVA_REQUIRE_PEER(ftp);
    SquidServer squid;
    KEVA_REQUIRE_PEER(squid);
    AppSettings& settings = context->appSettings;
    settings.UseProxy = true;
    settings.UseFTPProxy = true;
    settings.ProxyServer = QStringLiteral("127.0.0.1");
    settings.ProxyPort = squid.port();

    const QString url = ftp.url(QLatin1Char('/') + name).toString();
    const auto result = runner->run(url, saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_GE(linesWith(squid, QStringLiteral(" ") + url, 1), 1) << squid.log().toStdString();
}

} // namespace
