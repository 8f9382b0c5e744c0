// Downloads through tinyproxy: http:// asked of the proxy, https:// through
// a CONNECT tunnel, the proxy's login going to the proxy alone, and a wrong
// one refused with 407.
#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "engine/TlsTrust.h"
#include "settings/KevaContext.h"

#include "support/CaseName.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestCertificates.h"
#include "support/TinyproxyServer.h"

#include <QFile>
#include <QSslConfiguration>

#include <gtest/gtest.h>

namespace {

struct ProxyCase {
    const char* name;
    bool https;
    const char* proxyLogin; // what the proxy asks for, "" for nothing
    const char* givenLogin; // what the settings send, "" for nothing
    const char* failure;    // "" for a success
};

class DownloadJobProxy : public EngineTest, public testing::WithParamInterface<ProxyCase> {
protected:
    void TearDown() override { QSslConfiguration::setDefaultConfiguration(systemTrust_); }

    QSslConfiguration systemTrust_ = QSslConfiguration::defaultConfiguration();
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
    TinyproxyServer proxy;
    const QStringList login = QString::fromLatin1(c.proxyLogin).split(QLatin1Char(':'));
    if (*c.proxyLogin)
        proxy.requireLogin(login[0], login[1]);
    KEVA_REQUIRE_PEER(proxy);

    AppSettings& settings = context->appSettings;
    settings.UseProxy = true;
    settings.ProxyServer = QStringLiteral("127.0.0.1");
    settings.ProxyPort = proxy.port();
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
            EXPECT_TRUE(line.contains("tinyproxy")) << "not through the proxy: " << line.toStdString();
        }
    }
    if (c.https) {
        EXPECT_EQ(proxy.log().count(QStringLiteral("CONNECT 127.0.0.1:%1").arg(nginx.port())), requests.size())
            << "each request through its own tunnel";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobProxy,
    testing::Values(ProxyCase {"Http", false, "", "", ""},
                    ProxyCase {"HttpWithLogin", false, "keva:s3cret", "keva:s3cret", ""},
                    ProxyCase {"HttpsThroughATunnel", true, "keva:s3cret", "keva:s3cret", ""},
                    // tinyproxy 1.11 refuses a wrong login with 401 (not 407):
                    // the job shows the text of the code the proxy sent.
                    ProxyCase {"HttpWrongPassword", false, "keva:s3cret", "keva:wrong",
                               "HTTP 401.x-You are not authorized to view this page"},
                    ProxyCase {"HttpsWrongPassword", true, "keva:s3cret", "keva:wrong",
                               "HTTP 401.x-You are not authorized to view this page"}),
    CaseName());

} // namespace
