#pragma once

#include <QString>

// The "user:password@" of an http:// or https:// address, taken out of it:
// the login goes with the download's requests (to that host only) and the
// address without it is what the job list and the history keep, so that a
// password is never shown or written there.
struct UrlLogin {
    QString url; // the address without its login; the whole address when it has none
    QString userName;
    QString password;

    bool present() const { return !userName.isEmpty() || !password.isEmpty(); }

    // Other addresses (ftp:// among them, whose login is part of how the
    // file is fetched) come back whole.
    static UrlLogin split(const QString& url);
    // The user and password of a "user:password" text (the part before
    // "@"), each percent-decoded; `url` is left empty.
    static UrlLogin ofUserInfo(const QString& info);
};
