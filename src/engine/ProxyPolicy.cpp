#include "engine/ProxyPolicy.h"

#include "core/HostName.h"
#include "engine/HttpRequest.h"
#include "settings/AppSettings.h"

#include <QUrl>

namespace {

QByteArray basic(const QString& user, const QString& password)
{
    return "Basic " + Encode2Base64(user + QLatin1Char(':') + password).toLatin1();
}

} // namespace

ProxyPolicy::ProxyPolicy(const AppSettings& settings, const QProcessEnvironment& environment)
    : environment_(environment)
{
    if (!settings.UseProxy || settings.ProxyServer.trimmed().isEmpty())
        return;
    ProxyRoute route {settings.ProxyServer.trimmed(), settings.ProxyPort, {}};
    if (settings.LoginProxy)
        route.authorization = basic(settings.UserID, settings.UsePass ? settings.UserPass : QString());
    configured_ = route;
    ftpToo_ = settings.UseFTPProxy;
}

QProcessEnvironment ProxyPolicy::processVariables()
{
    QProcessEnvironment variables;
    for (const char* name : {"http_proxy", "https_proxy", "no_proxy", "HTTP_PROXY", "HTTPS_PROXY", "NO_PROXY"}) {
        if (qEnvironmentVariableIsSet(name))
            variables.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
    }
    return variables;
}

std::optional<ProxyRoute> ProxyPolicy::routeFor(const UrlParts& target) const
{
    if (configured_)
        return target.IsHTTP || ftpToo_ ? configured_ : std::nullopt;
    return fromEnvironment(target);
}

// The lower-case name first, as curl reads it; then the upper-case one.
QString ProxyPolicy::variable(const char* name) const
{
    const QString lower = QString::fromLatin1(name);
    const QString value = environment_.value(lower);
    return value.isEmpty() ? environment_.value(lower.toUpper()) : value;
}

std::optional<ProxyRoute> ProxyPolicy::fromEnvironment(const UrlParts& target) const
{
    if (!target.IsHTTP || bypassed(target.Server))
        return std::nullopt;
    QString value = variable(target.IsHTTPS ? "https_proxy" : "http_proxy").trimmed();
    if (value.isEmpty())
        return std::nullopt;
    if (!value.contains(QStringLiteral("://")))
        value.prepend(QStringLiteral("http://"));
    const QUrl url(value);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    ProxyRoute route {url.host(), url.port(url.scheme() == QStringLiteral("https") ? 443 : 80), {}};
    if (!url.userName().isEmpty())
        route.authorization = basic(url.userName(), url.password());
    return route;
}

// no_proxy: host names or domain suffixes, separated by commas; "*" for all.
// An internationalised entry is compared in its ASCII form, as `host` is.
bool ProxyPolicy::bypassed(const QString& host) const
{
    const QString lowered = host.toLower();
    for (QString entry : variable("no_proxy").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        entry = entry.trimmed().toLower();
        if (entry == QStringLiteral("*"))
            return true;
        const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
        if (colon > 0 && !entry.contains(QLatin1Char(']')) && entry.count(QLatin1Char(':')) == 1)
            entry = entry.left(colon);
        if (entry.startsWith(QLatin1Char('.')))
            entry = entry.mid(1);
        entry = HostName::onWire(entry);
        if (!entry.isEmpty() && (lowered == entry || lowered.endsWith(QLatin1Char('.') + entry)))
            return true;
    }
    return false;
}
