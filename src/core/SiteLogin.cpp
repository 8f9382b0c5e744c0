#include "core/SiteLogin.h"

SiteLogin LookupSiteLogin(const QList<SiteLogin>& logins, const QString& host)
{
    for (const SiteLogin& login : logins) {
        if (login.server == host)
            return login;
    }
    return {};
}
