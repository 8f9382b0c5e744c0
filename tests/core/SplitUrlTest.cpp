#include "core/SplitUrl.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    const char* url;
    UrlParts expected;
};

UrlParts http(const char* server, int port, const char* fileName, const char* remotePath)
{
    return {QString::fromUtf8(server),     port, {},   {}, QString::fromUtf8(fileName),
            QString::fromUtf8(remotePath), true, false};
}

UrlParts https(const char* server, int port, const char* fileName, const char* remotePath)
{
    UrlParts parts = http(server, port, fileName, remotePath);
    parts.IsHTTPS = true;
    return parts;
}

UrlParts ftp(const char* server, int port, const char* user, const QString& password, const char* fileName,
             const char* remotePath)
{
    return {QString::fromUtf8(server),
            port,
            QString::fromUtf8(user),
            password,
            QString::fromUtf8(fileName),
            QString::fromUtf8(remotePath),
            false,
            true};
}

const QList<SiteLogin> kLogins = {
    {QStringLiteral("secure.example.org"), QStringLiteral("stored"), QStringLiteral("s3cret")},
    {QStringLiteral("secure.example.org"), QStringLiteral("second"), QStringLiteral("never used")},
    {QStringLiteral("onlypass.example.org"), QString(), QStringLiteral("p")},
    {QStringLiteral("bücher.test"), QStringLiteral("typed"), QStringLiteral("as written")},
};

class SplitUrlCases : public testing::TestWithParam<SplitCase> { };

TEST_P(SplitUrlCases, FillsTheJobFields)
{
    const SplitCase& c = GetParam();
    const UrlParts parts = SplitUrl(QString::fromUtf8(c.url), kLogins);
    EXPECT_EQ(parts.Server, c.expected.Server);
    EXPECT_EQ(parts.Port, c.expected.Port);
    EXPECT_EQ(parts.UserName, c.expected.UserName);
    EXPECT_EQ(parts.Password, c.expected.Password);
    EXPECT_EQ(parts.FileName, c.expected.FileName);
    EXPECT_EQ(parts.RemotePath, c.expected.RemotePath);
    EXPECT_EQ(parts.IsHTTP, c.expected.IsHTTP);
    EXPECT_EQ(parts.IsFTP, c.expected.IsFTP);
    EXPECT_EQ(parts.IsHTTPS, c.expected.IsHTTPS);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitUrlCases,
    testing::Values(
        SplitCase {"HttpWithPortAndEscapedFolder", "http://files.example.org:8080/a/b%20c/file.zip",
                   http("files.example.org", 8080, "file.zip", "/a/b c/file.zip")},
        SplitCase {"FileNameKeepsItsEscape", "http://h/x%20y/my%20file.zip",
                   http("h", 80, "my%20file.zip", "/x y/my%20file.zip")},
        SplitCase {"HttpSchemeInCapitals", "HTTP://H.example/f.bin", http("H.example", 80, "f.bin", "/f.bin")},
        SplitCase {"HttpFolder", "http://h/dir/", http("h", 80, "", "/dir/")},
        SplitCase {"HttpNoPath", "http://h", http("h", 80, "", "")},
        SplitCase {"HttpPortNotANumber", "http://h:abc/f", http("h", 0, "f", "/f")},
        SplitCase {"HttpPortOutOfRange", "http://h:99999/f", http("h", 0, "f", "/f")},
        SplitCase {"HttpIgnoresCredentialsInTheAddress", "http://me:pw@h:81/f", http("h", 81, "f", "/f")},
        SplitCase {"HttpStoredLogin",
                   "http://secure.example.org/f.zip",
                   {QStringLiteral("secure.example.org"), 80, QStringLiteral("stored"), QStringLiteral("s3cret"),
                    QStringLiteral("f.zip"), QStringLiteral("/f.zip"), true, false}},
        SplitCase {"HttpIpv6", "http://[::1]:8081/f", http("::1", 8081, "f", "/f")},
        SplitCase {"FtpCredentials", "ftp://alice:pa:ss@ftp.example.org/pub/file.tgz",
                   ftp("ftp.example.org", 21, "alice", QStringLiteral("pa:ss"), "file.tgz", "pub/file.tgz")},
        SplitCase {"FtpAnonymous", "ftp://ftp.example.org:2121/pub/a%20b/c.iso",
                   ftp("ftp.example.org", 2121, "anonymous", kAnonymousPassword, "c.iso", "pub/a b/c.iso")},
        SplitCase {"FtpNamesAndCredentialsDecodedOnce", "ftp://al%20ice:p%40ss@h/a%20dir/my%20file%2520.bin",
                   ftp("h", 21, "al ice", QStringLiteral("p@ss"), "my file%20.bin", "a dir/my file%20.bin")},
        SplitCase {"FtpUserWithoutPassword", "ftp://bob@h/f", ftp("h", 21, "bob", QString(), "f", "f")},
        SplitCase {"FtpAtSignInPathIsNoCredential", "ftp://h/icons/logo@2x.png",
                   ftp("h", 21, "anonymous", kAnonymousPassword, "logo@2x.png", "icons/logo@2x.png")},
        SplitCase {"StoredLoginWinsOverTheAddress", "ftp://u:p@secure.example.org/f",
                   ftp("secure.example.org", 21, "stored", QStringLiteral("s3cret"), "f", "f")},
        SplitCase {"StoredPasswordAloneStillReplaces", "ftp://u:p@onlypass.example.org/f",
                   ftp("onlypass.example.org", 21, "", QStringLiteral("p"), "f", "f")},
        SplitCase {"OtherSchemeIsFtp", "gopher://h/x/y.txt",
                   ftp("h", 21, "anonymous", kAnonymousPassword, "y.txt", "x/y.txt")},
        SplitCase {"HttpsOnItsDefaultPort", "https://h/dir/f.zip", https("h", 443, "f.zip", "/dir/f.zip")},
        SplitCase {"HttpsWithPortInCapitals", "HTTPS://h.example:8443/f", https("h.example", 8443, "f", "/f")},
        SplitCase {"LocalPageEmbedsAnHttpsAddress", "res://shdoclc.dll/dnserror.htm#https://h.example/f.zip",
                   https("h.example", 443, "f.zip", "/f.zip")},
        SplitCase {"LocalPageEmbedsTheAddress", "res://shdoclc.dll/dnserror.htm#http://h.example/f.zip",
                   http("h.example", 80, "f.zip", "/f.zip")},
        SplitCase {"SurroundingBlanksTrimmed", "http://h/f.zip ", http("h", 80, "f.zip", "/f.zip")},
        SplitCase {"FragmentDropped", "http://h/small.bin?x=1#frag", http("h", 80, "small.bin?x=1", "/small.bin?x=1")},
        SplitCase {"UnicodeHostGoesOutInAscii", "http://bücher.example/x.zip",
                   http("xn--bcher-kva.example", 80, "x.zip", "/x.zip")},
        SplitCase {"UnicodeHostInCapitals", "https://BÜCHER.Example:8443/x.zip",
                   https("xn--bcher-kva.example", 8443, "x.zip", "/x.zip")},
        SplitCase {"FtpUnicodeHost", "ftp://例え.jp/pub/f.iso",
                   ftp("xn--r8jz45g.jp", 21, "anonymous", kAnonymousPassword, "f.iso", "pub/f.iso")},
        SplitCase {"StoredUnicodeLoginForTheAsciiForm", "ftp://XN--BCHER-KVA.test/f",
                   ftp("XN--BCHER-KVA.test", 21, "typed", QStringLiteral("as written"), "f", "f")},
        SplitCase {"InvalidUnicodeHostLeftEmpty", "http://bü cher.example/f", http("", 80, "f", "/f")},
        SplitCase {"EmptyLabelLeftEmpty", "http://ü..example/f", http("", 80, "f", "/f")},
        SplitCase {"FtpFragmentDropped", "ftp://h/pub/f.iso#part",
                   ftp("h", 21, "anonymous", kAnonymousPassword, "f.iso", "pub/f.iso")}),
    CaseName());

} // namespace
