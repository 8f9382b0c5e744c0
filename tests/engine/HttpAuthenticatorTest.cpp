#include "engine/HttpAuthenticator.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

using Scheme = HttpAuthChallenge::Scheme;

// The example of RFC 7616 section 3.9.1.
const QByteArray kRealm = "http-auth@example.org";
const QByteArray kNonce = "7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v";
const QByteArray kOpaque = "FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS";
const QByteArray kCnonce = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";

HttpAuthChallenge exampleChallenge(Scheme scheme, bool qopAuth)
{
    HttpAuthChallenge challenge;
    challenge.scheme = scheme;
    challenge.realm = kRealm;
    challenge.nonce = kNonce;
    challenge.opaque = kOpaque;
    challenge.qopAuth = qopAuth;
    return challenge;
}

struct AuthorizationCase {
    const char* name;
    const char* user;
    const char* password;
    HttpAuthChallenge challenge;
    QByteArray expected;
};

class HttpAuthenticatorAuthorization : public testing::TestWithParam<AuthorizationCase> { };

TEST_P(HttpAuthenticatorAuthorization, AnswersTheChallenge)
{
    const AuthorizationCase& c = GetParam();
    HttpAuthenticator authenticator(QString::fromUtf8(c.user), QString::fromUtf8(c.password), c.challenge,
                                    [] { return kCnonce; });
    EXPECT_EQ(authenticator.authorization("GET", "/dir/index.html"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpAuthenticatorAuthorization,
    testing::Values(
        AuthorizationCase {
            "DigestMd5", "Mufasa", "Circle of Life", exampleChallenge(Scheme::DigestMd5, true),
            "Digest username=\"Mufasa\", realm=\"" + kRealm + "\", uri=\"/dir/index.html\", algorithm=MD5, nonce=\""
                + kNonce + "\", nc=00000001, cnonce=\"" + kCnonce
                + "\", qop=auth, response=\"8ca523f5e9506fed4657c9700eebdbec\", opaque=\"" + kOpaque + "\""},
        AuthorizationCase {"DigestSha256", "Mufasa", "Circle of Life", exampleChallenge(Scheme::DigestSha256, true),
                           "Digest username=\"Mufasa\", realm=\"" + kRealm
                               + "\", uri=\"/dir/index.html\", algorithm=SHA-256, nonce=\"" + kNonce
                               + "\", nc=00000001, cnonce=\"" + kCnonce
                               + "\", qop=auth, "
                                 "response=\"753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1\", "
                                 "opaque=\""
                               + kOpaque + "\""},
        AuthorizationCase {"DigestWithoutQop", "Mufasa", "Circle of Life", exampleChallenge(Scheme::DigestMd5, false),
                           "Digest username=\"Mufasa\", realm=\"" + kRealm
                               + "\", uri=\"/dir/index.html\", algorithm=MD5, nonce=\"" + kNonce
                               + "\", response=\"7b2cc3b30e75b4777ea31027084363fd\", opaque=\"" + kOpaque + "\""},
        AuthorizationCase {"Basic", "Aladdin", "open sesame", HttpAuthChallenge {},
                           "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ=="},
        AuthorizationCase {"BasicUtf8", "test", "123\xC2\xA3", HttpAuthChallenge {}, "Basic dGVzdDoxMjPCow=="}),
    CaseName());

TEST(HttpAuthenticator, CountsItsRequestsWithFreshClientNonces)
{
    QList<QByteArray> nonces = {kCnonce, "second"};
    HttpAuthenticator authenticator(QStringLiteral("Mufasa"), QStringLiteral("Circle of Life"),
                                    exampleChallenge(Scheme::DigestMd5, true), [&] { return nonces.takeFirst(); });
    authenticator.authorization("GET", "/dir/index.html");
    const QByteArray second = authenticator.authorization("GET", "/dir/index.html");
    EXPECT_TRUE(second.contains(", nc=00000002, cnonce=\"second\", ")) << second.toStdString();
    EXPECT_TRUE(nonces.isEmpty());

    // Without a source of its own, each request gets a new random client nonce.
    const auto cnonceOf = [](const QByteArray& value) {
        const qsizetype start = value.indexOf("cnonce=\"") + 8;
        return value.mid(start, value.indexOf('"', start) - start);
    };
    HttpAuthenticator random(QStringLiteral("u"), QStringLiteral("p"), exampleChallenge(Scheme::DigestMd5, true));
    const QByteArray first = cnonceOf(random.authorization("GET", "/"));
    EXPECT_GE(first.size(), 16);
    EXPECT_NE(first, cnonceOf(random.authorization("GET", "/")));
}

struct ChooseCase {
    const char* name;
    QList<QByteArray> values;
    std::optional<Scheme> scheme; // nothing when no challenge can be answered
    QByteArray realm;
    QByteArray nonce;
    bool qopAuth;
    bool stale;
};

class HttpAuthenticatorChoose : public testing::TestWithParam<ChooseCase> { };

TEST_P(HttpAuthenticatorChoose, PicksTheStrongestAnswerable)
{
    const ChooseCase& c = GetParam();
    const std::optional<HttpAuthChallenge> chosen = HttpAuthenticator::choose(c.values);
    ASSERT_EQ(chosen.has_value(), c.scheme.has_value());
    if (!chosen)
        return;
    EXPECT_EQ(chosen->scheme, *c.scheme);
    EXPECT_EQ(chosen->realm, c.realm);
    EXPECT_EQ(chosen->nonce, c.nonce);
    EXPECT_EQ(chosen->qopAuth, c.qopAuth);
    EXPECT_EQ(chosen->stale, c.stale);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpAuthenticatorChoose,
    testing::Values(
        ChooseCase {"NoChallenge", {}, std::nullopt, "", "", false, false},
        ChooseCase {"Basic", {"Basic realm=\"site\""}, Scheme::Basic, "site", "", false, false},
        ChooseCase {"BasicWithoutParameters", {"Basic"}, Scheme::Basic, "", "", false, false},
        ChooseCase {"SeveralInOneHeader",
                    {"Basic realm=\"b\", Digest realm=\"d\", nonce=\"n\", algorithm=MD5, qop=\"auth\""},
                    Scheme::DigestMd5,
                    "d",
                    "n",
                    true,
                    false},
        ChooseCase {"SeveralHeaders",
                    {"Digest realm=\"md5\", nonce=\"1\", qop=\"auth\"",
                     "Digest realm=\"sha\", nonce=\"2\", algorithm=SHA-256, qop=\"auth\"", "Basic realm=\"b\""},
                    Scheme::DigestSha256,
                    "sha",
                    "2",
                    true,
                    false},
        ChooseCase {"StrongestFirst",
                    {"Digest realm=\"sha\", nonce=\"2\", algorithm=SHA-256, Digest realm=\"md5\", nonce=\"1\""},
                    Scheme::DigestSha256,
                    "sha",
                    "2",
                    false,
                    false},
        ChooseCase {"UnknownSchemesSkipped",
                    {R"(Newauth realm="apps", type=1, title="Login to \"apps\"", Basic realm="simple")"},
                    Scheme::Basic,
                    "simple",
                    "",
                    false,
                    false},
        ChooseCase {"Token68Skipped",
                    {"Negotiate YIIBAgYGKwYBBQUCoIH3MIH0oDAw=, Basic realm=\"b\""},
                    Scheme::Basic,
                    "b",
                    "",
                    false,
                    false},
        ChooseCase {"CommasInsideQuotes",
                    {R"(Digest realm="a, b", nonce="x,y", qop="auth-int, auth", stale=TRUE)"},
                    Scheme::DigestMd5,
                    "a, b",
                    "x,y",
                    true,
                    true},
        ChooseCase {"NamesWithoutRegardToCase",
                    {"DIGEST Realm = \"r\", NONCE=n, Algorithm=sha-256, QOP=\"AUTH\""},
                    Scheme::DigestSha256,
                    "r",
                    "n",
                    true,
                    false},
        ChooseCase {"AuthIntOnlyRefused",
                    {"Digest realm=\"r\", nonce=\"n\", qop=\"auth-int\""},
                    std::nullopt,
                    "",
                    "",
                    false,
                    false},
        ChooseCase {"AuthIntOnlyLeavesBasic",
                    {"Digest realm=\"r\", nonce=\"n\", qop=\"auth-int\"", "Basic realm=\"b\""},
                    Scheme::Basic,
                    "b",
                    "",
                    false,
                    false},
        ChooseCase {"SessionAlgorithmRefused",
                    {"Digest realm=\"r\", nonce=\"n\", algorithm=MD5-sess, qop=\"auth\""},
                    std::nullopt,
                    "",
                    "",
                    false,
                    false},
        ChooseCase {"OtherAlgorithmRefused",
                    {"Digest realm=\"r\", nonce=\"n\", algorithm=SHA-512-256, qop=\"auth\""},
                    std::nullopt,
                    "",
                    "",
                    false,
                    false},
        ChooseCase {"DigestWithoutNonceRefused", {"Digest realm=\"r\""}, std::nullopt, "", "", false, false},
        ChooseCase {"OnlyUnknownSchemes", {"Negotiate", "NTLM"}, std::nullopt, "", "", false, false}),
    CaseName());

} // namespace
