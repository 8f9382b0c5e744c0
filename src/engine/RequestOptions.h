#pragma once

#include "core/BrowserSession.h"
#include "core/Checksum.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// What a download asks with beyond the program's own request lines: the
// browser's session (or the page, User-Agent and cookies given on the
// command line), the user's own headers, and a login for the host of the
// link. A download without any of them sends exactly the program's lines.
// The checksum its file is checked against once complete goes with them.
struct RequestOptions {
    BrowserSession browser;
    QList<std::pair<QByteArray, QByteArray>> headers; // name, value; in the order given
    QString userName;                                 // for the link's host only
    QString password;
    std::optional<Checksum> checksum;

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
    // What a download listed for later keeps beside its file until it
    // starts: its secrets, and the checksum it is to be checked against.
    bool keptForLater() const { return holdsSecrets() || checksum.has_value(); }
    bool isEmpty() const { return browser.isEmpty() && headers.isEmpty() && !hasLogin() && !checksum; }
    bool operator==(const RequestOptions&) const = default;
};
