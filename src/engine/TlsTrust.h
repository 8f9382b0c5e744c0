#pragma once

#include <QString>

struct ssl_ctx_st;

// What TLS connections of this process trust: the system's authorities, plus
// the ones a user names; or, for one run of the command-line tool only,
// nothing is checked at all. All connections share one OpenSSL client
// context, made at the first https:// connection (or named authority), so
// that a program that never speaks TLS never loads the library.
class TlsTrust {
public:
    // Adds the PEM certificates in `path` as trusted authorities; on failure
    // `problem` says why.
    static bool addAuthorities(const QString& path, QString* problem);
    // Stops checking server certificates (for this process).
    static void checkNothing();
    // Back to the system's authorities alone, every certificate checked.
    static void reset();

    static bool checksCertificates();
    // The client context: TLS 1.2 or later, trusting the system's authorities
    // and the ones added; each connection checks its server against it. Null
    // when the TLS library could not be loaded; `problem` says why.
    static ssl_ctx_st* context(QString* problem = nullptr);
};
