#include "core/SiteLogin.h"

#include "core/HostName.h"

SiteLogin LookupSiteLogin(const QList<SiteLogin>& logins, const QString& host)
{
    for (const SiteLogin& login : logins) {
        if (HostName::same(login.server, host))
            return login;
    }
    return {};
}

void RememberSiteLogin(QList<SiteLogin>& logins, const SiteLogin& login)
{
    for (SiteLogin& known : logins) {
        if (known.server == login.server) {
            known = login;
            return;
        }
    }
    logins.append(login);
}
