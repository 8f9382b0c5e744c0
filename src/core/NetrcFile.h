#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The logins of a .netrc file, the file in which command-line network tools
// keep a login and password for each host.
class NetrcFile {
public:
    struct Login {
        QString login;
        QString password;
        bool operator==(const Login&) const = default;
    };

    // The login for `host` in the text of a .netrc file: the first "machine" entry naming the host (letter case
    // ignored), else the "default" entry; nothing when neither is there. Tokens are separated by any white space,
    // newlines included, and may be double-quoted with backslash escapes; "account" values and "macdef" macros
    // (which run to the next empty line) are passed over.
    static std::optional<Login> lookup(const QByteArray& text, const QString& host);
};
