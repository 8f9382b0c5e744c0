#include "core/CookieFile.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

// 2026-01-01 00:00:00 UTC; the cookies below expire an hour before or after it.
constexpr qint64 kNow = 1767225600;

const QByteArray kFile = "# Netscape HTTP Cookie File\n"
                         "\n"
                         "a.example\tFALSE\t/\tFALSE\t0\tsession\t1\n"
                         "a.example\tFALSE\t/\tFALSE\t1767222000\texpired\t2\n"
                         "a.example\tFALSE\t/\tFALSE\t1767229200\tlater\t3\n"
                         ".a.example\tTRUE\t/\tFALSE\t0\tdotted\t4\n"
                         "b.a.example\tFALSE\t/\tFALSE\t0\tsub\t5\n"
                         "wide.example\tTRUE\t/\tFALSE\t0\twide\t6\n"
                         "a.example\tFALSE\t/docs\tFALSE\t0\tdocs\t7\n"
                         "a.example\tFALSE\t/docs/\tFALSE\t0\tdocsSlash\t8\n"
                         "a.example\tFALSE\t/\tTRUE\t0\tsecure\t9\n"
                         "#HttpOnly_a.example\tFALSE\t/\tFALSE\t0\thttponly\t10\n"
                         "# a.example\tFALSE\t/\tFALSE\t0\tcomment\t11\n"
                         "a.example\tFALSE\t/\tFALSE\t0\tempty\n"
                         "a.example\tMAYBE\t/\tFALSE\t0\tbadFlag\t12\n"
                         "a.example\tFALSE\t/\tFALSE\tsoon\tbadExpiry\t13\n"
                         "a.example FALSE / FALSE 0 spaces 14\n"
                         "A.EXAMPLE\tFALSE\t/\tFALSE\t0\tupper\t15\r\n";

struct CookieCase {
    const char* name;
    const char* url;
    QByteArray expected;
};

class CookieFileCases : public testing::TestWithParam<CookieCase> { };

TEST_P(CookieFileCases, GivesTheCookieHeader)
{
    const CookieCase& c = GetParam();
    EXPECT_EQ(CookieFile::cookieHeader(kFile, QUrl(QString::fromUtf8(c.url)), QDateTime::fromSecsSinceEpoch(kNow)),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CookieFileCases,
    testing::Values(CookieCase {"Root", "http://a.example/",
                                "session=1; later=3; dotted=4; httponly=10; empty=; upper=15"},
                    CookieCase {"HttpsGetsSecure", "https://a.example/f",
                                "session=1; later=3; dotted=4; secure=9; httponly=10; empty=; upper=15"},
                    CookieCase {"LongerPathsFirst", "http://a.example/docs/f.pdf",
                                "docsSlash=8; docs=7; session=1; later=3; dotted=4; httponly=10; empty=; upper=15"},
                    CookieCase {"PathExactly", "http://a.example/docs",
                                "docs=7; session=1; later=3; dotted=4; httponly=10; "
                                "empty=; upper=15"},
                    CookieCase {"PathPrefixNotAtSlash", "http://a.example/docsx",
                                "session=1; later=3; dotted=4; httponly=10; empty=; upper=15"},
                    CookieCase {"Subdomain", "http://b.a.example/", "dotted=4; sub=5"},
                    CookieCase {"IncludeSubdomainsWithoutDot", "http://x.wide.example/", "wide=6"},
                    CookieCase {"DomainItself", "http://WIDE.example/", "wide=6"},
                    CookieCase {"NotASubdomain", "http://nota.example/", ""},
                    CookieCase {"OtherHost", "http://c.example/", ""}),
    CaseName());

} // namespace
