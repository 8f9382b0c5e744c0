#include "core/SiteLogin.h"

SiteLogin LookupSiteLogin(const QList<SiteLogin>& logins, const QString& host)
{
    for (const SiteLogin& login : logins) {
        if (login.server == host)
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
