#pragma once

#include <QList>
#include <QString>

// One per-site login account: transfers from `server` log in with it.
struct SiteLogin {
    QString server;
    QString userName;
    QString password;

    bool operator==(const SiteLogin&) const = default;
};

// The first login whose server is `host` (HostName::same: equal, letter case
// counting, or the same internationalised name in either form); an empty
// login when there is none.
SiteLogin LookupSiteLogin(const QList<SiteLogin>& logins, const QString& host);

// Puts `login` in place of the first login of its server, or appends it when
// the list has none: a server keeps one login, the last one remembered.
void RememberSiteLogin(QList<SiteLogin>& logins, const SiteLogin& login);
