#include "engine/ProxyPolicy.h"

#include "settings/AppSettings.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct PolicyCase {
    const char* name;
    std::function<void(AppSettings&)> settings;
    std::vector<std::pair<const char*, const char*>> environment;
    const char* url;
    const char* route; // "host:port authorization", or empty for a direct connection
};

void PrintTo(const PolicyCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProxyPolicyCases : public testing::TestWithParam<PolicyCase> { };

TEST_P(ProxyPolicyCases, ChoosesTheProxyOrNone)
{
    const PolicyCase& c = GetParam();
    AppSettings settings;
    if (c.settings)
        c.settings(settings);
    QProcessEnvironment environment;
    for (const auto& [name, value] : c.environment)
        environment.insert(QString::fromLatin1(name), QString::fromUtf8(value));
    const auto route = ProxyPolicy(settings, environment).routeFor(SplitUrl(QString::fromUtf8(c.url), {}));
    const QString shown = route
        ? QStringLiteral("%1:%2 %3").arg(route->host).arg(route->port).arg(QString::fromLatin1(route->authorization))
        : QString();
    EXPECT_EQ(shown.trimmed(), QString::fromLatin1(c.route));
}

void useProxy(AppSettings& settings)
{
    settings.UseProxy = true;
    settings.ProxyServer = QStringLiteral("proxy.example");
    settings.ProxyPort = 3128;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProxyPolicyCases,
    testing::Values(
        PolicyCase {"Direct", {}, {}, "http://h/f", ""},
        PolicyCase {"SettingsProxy", useProxy, {}, "http://h/f", "proxy.example:3128"},
        PolicyCase {"SettingsProxyWithLogin",
                    [](AppSettings& s) {
                        useProxy(s);
                        s.LoginProxy = true;
                        s.UserID = QStringLiteral("Aladdin");
                        s.UsePass = true;
                        s.UserPass = QStringLiteral("open sesame");
                    },
                    {},
                    "https://h/f",
                    "proxy.example:3128 Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ=="},
        PolicyCase {"LoginWithoutItsPassword",
                    [](AppSettings& s) {
                        useProxy(s);
                        s.LoginProxy = true;
                        s.UserID = QStringLiteral("user");
                        s.UserPass = QStringLiteral("not sent");
                    },
                    {},
                    "http://h/f",
                    "proxy.example:3128 Basic dXNlcjo="},
        PolicyCase {"SettingsWinOverTheEnvironment",
                    useProxy,
                    {{"http_proxy", "http://env:1"}},
                    "http://h/f",
                    "proxy.example:3128"},
        PolicyCase {
            "EnvironmentHttp", {}, {{"http_proxy", "http://env.example:8080/"}}, "http://h/f", "env.example:8080"},
        PolicyCase {"EnvironmentUpperCase", {}, {{"HTTP_PROXY", "env.example:8080"}}, "http://h/f", "env.example:8080"},
        PolicyCase {"EnvironmentHttpsOnlyForHttps",
                    {},
                    {{"http_proxy", "http://a:1"}, {"https_proxy", "http://b:2"}},
                    "https://h/f",
                    "b:2"},
        PolicyCase {"EnvironmentLogin", {}, {{"http_proxy", "http://u:p@env:3"}}, "http://h/f", "env:3 Basic dTpw"},
        PolicyCase {"NoProxyHost", {}, {{"http_proxy", "http://env:1"}, {"no_proxy", "other, h"}}, "http://h/f", ""},
        PolicyCase {"NoProxyDomain",
                    {},
                    {{"http_proxy", "http://env:1"}, {"NO_PROXY", ".example.org"}},
                    "http://files.example.org/f",
                    ""},
        PolicyCase {"NoProxyIsNoSubstring",
                    {},
                    {{"http_proxy", "http://env:1"}, {"no_proxy", "ample.org"}},
                    "http://example.org/f",
                    "env:1"},
        PolicyCase {"NoProxyUnicodeDomain",
                    {},
                    {{"http_proxy", "http://env:1"}, {"no_proxy", ".BÜCHER.example"}},
                    "http://www.xn--bcher-kva.example/f",
                    ""},
        PolicyCase {"NoProxyAsciiFormForAUnicodeHost",
                    {},
                    {{"http_proxy", "http://env:1"}, {"no_proxy", "xn--r8jz45g.jp"}},
                    "http://例え.jp/f",
                    ""},
        PolicyCase {"NoProxyAll", {}, {{"http_proxy", "http://env:1"}, {"no_proxy", "*"}}, "http://h/f", ""},
        PolicyCase {"FtpGoesDirect", {}, {{"http_proxy", "http://env:1"}}, "ftp://h/f", ""},
        PolicyCase {"FtpDirectWithoutTheFtpProxySetting", useProxy, {}, "ftp://h/f", ""},
        PolicyCase {"FtpThroughTheFtpProxySetting",
                    [](AppSettings& s) {
                        useProxy(s);
                        s.UseFTPProxy = true;
                    },
                    {},
                    "ftp://h/f",
                    "proxy.example:3128"}),
    CaseName());

} // namespace
