#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// One challenge of a WWW-Authenticate header that the program can answer.
struct HttpAuthChallenge {
    enum class Scheme { Basic, DigestMd5, DigestSha256 }; // from the weakest to the strongest
    Scheme scheme = Scheme::Basic;
    QByteArray realm, nonce, opaque;
    bool qopAuth = false; // the server offers qop "auth"
    bool stale = false;
};

// Logs in to a server that answered 401: picks the challenge to answer, then
// gives the Authorization header of each request that follows, Basic or Digest.
class HttpAuthenticator {
public:
    // The strongest challenge it can answer among the WWW-Authenticate values of one 401 reply (several headers, and
    // several challenges in one header, comma separated, as RFC 9110 allows): Digest SHA-256, then Digest MD5, then
    // Basic. Digest that asks only for qop "auth-int", or an algorithm other than MD5/SHA-256 (the "-sess" variants
    // included), is not answerable. Nothing when none can be answered.
    static std::optional<HttpAuthChallenge> choose(const QList<QByteArray>& values);

    using Nonces = std::function<QByteArray()>; // a new client nonce for each request
    HttpAuthenticator(QString user, QString password, HttpAuthChallenge challenge, Nonces cnonce = {});

    // The value of the Authorization header for one request ("Basic …" per RFC 7617 with UTF-8 user and password;
    // "Digest …" per RFC 7616, with qop=auth, nc counting up from 00000001 with every call, and a fresh random cnonce
    // unless `cnonce` is given; without qop from the server, the RFC 2069 form).
    QByteArray authorization(const QByteArray& method, const QByteArray& requestTarget);

private:
    QByteArray digestAuthorization(const QByteArray& method, const QByteArray& requestTarget);

    QString user_;
    QString password_;
    HttpAuthChallenge challenge_;
    Nonces cnonce_;
    quint32 nonceCount_ = 0;
};
