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

    std::optional<ProxyRoute> routeFor(const UrlParts& target) const;

private:
    std::optional<ProxyRoute> fromEnvironment(const UrlParts& target) const;
    bool bypassed(const QString& host) const;
    QString variable(const char* name) const;

    std::optional<ProxyRoute> configured_;
    bool ftpToo_ = false; // ftp:// goes through the configured proxy as well
    QProcessEnvironment environment_;
};
