#pragma once

#include "core/SplitUrl.h"
#include "engine/ProxyRoute.h"

#include <QProcessEnvironment>
#include <QString>

#include <optional>

struct AppSettings;

// Which proxy, if any, a download goes through. The proxy of the settings
// when it is on (with its login when that is on), for ftp:// too when that
// setting says so; else the environment's http_proxy and https_proxy, except
// for the hosts no_proxy names, as curl and wget read them.
class ProxyPolicy {
public:
    ProxyPolicy() = default;
    ProxyPolicy(const AppSettings& settings, const QProcessEnvironment& environment);

    // The variables of this process's environment that the policy reads: a
    // look-up of those few names, where a copy of the whole environment for
    // each download of a crawl of thousands of files would cost more.
    static QProcessEnvironment processVariables();

    std::optional<ProxyRoute> routeFor(const UrlParts& target) const;

private:
    std::optional<ProxyRoute> fromEnvironment(const UrlParts& target) const;
    bool bypassed(const QString& host) const;
    QString variable(const char* name) const;

    std::optional<ProxyRoute> configured_;
    bool ftpToo_ = false; // ftp:// goes through the configured proxy as well
    QProcessEnvironment environment_;
};
