#pragma once

#include "core/SiteLogin.h"

#include <QList>
#include <QString>

class Prompter;
class TextLookup;

// The logins page: the user name and password used for each server.
class LoginsPage {
public:
    // Replaces the list (unselected) with the stored one.
    void setLogins(const QList<SiteLogin>& logins);

    // Appends the three boxes as a login and empties them; an empty box or a
    // password that cannot be stored is refused with a message, and false.
    bool addLogin(Prompter& prompter, const TextLookup& text);
    void deleteSelectedLogins();
    // A click on a column header (0 server, 1 user name, 2 password): sorts by
    // that column, descending when the list was ascending, else ascending.
    void sortLogins(int column);
    void setLoginSelected(int row, bool selected);
    bool isLoginSelected(int row) const;

    QString txtLoginServer, txtLoginUsername, txtLoginPassword;
    QList<SiteLogin> lstLogin;
    bool lstLoginAscending = true;

private:
    QList<bool> lstLoginSelected_;
};
