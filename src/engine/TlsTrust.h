#pragma once

#include <QString>

// What TLS connections of this process trust: the system's authorities, plus
// the ones a user names; or, for one run of the command-line tool only,
// nothing is checked at all.
class TlsTrust {
public:
    // Adds the PEM certificates in `path` as trusted authorities; on failure
    // `problem` says why.
    static bool addAuthorities(const QString& path, QString* problem);
    // Stops checking server certificates (for this process).
    static void checkNothing();
};
