#pragma once

#include "core/BrowserSession.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// What a download asks with beyond the program's own request lines: the
// browser's session (or the page, User-Agent and cookies given on the
// command line), the user's own headers, and a login for the host of the
// link. A download without any of them sends exactly the program's lines.
struct RequestOptions {
    BrowserSession browser;
    QList<std::pair<QByteArray, QByteArray>> headers; // name, value; in the order given
    QString userName;                                 // for the link's host only
    QString password;

    // The options of a link the browser handed over with `session`.
    static RequestOptions of(const BrowserSession& session)
    {
        RequestOptions options;
        options.browser = session;
        return options;
    }

    bool hasLogin() const { return !userName.isEmpty() || !password.isEmpty(); }
    // A login, cookies or the user's own headers: what cannot be had again
    // (the page and the agent alone open no door).
    bool holdsSecrets() const { return hasLogin() || !browser.cookie.isEmpty() || !headers.isEmpty(); }
    bool isEmpty() const { return browser.isEmpty() && headers.isEmpty() && !hasLogin(); }
    bool operator==(const RequestOptions&) const = default;
};
