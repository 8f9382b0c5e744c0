#include "core/SiteLogin.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(LookupSiteLogin, FirstExactMatchWins)
{
    const QList<SiteLogin> logins = {
        {QStringLiteral("a.example"), QStringLiteral("one"), QStringLiteral("1")},
        {QStringLiteral("A.example"), QStringLiteral("two"), QStringLiteral("2")},
        {QStringLiteral("a.example"), QStringLiteral("three"), QStringLiteral("3")},
    };
    EXPECT_EQ(LookupSiteLogin(logins, QStringLiteral("a.example")).userName, QStringLiteral("one"));
    EXPECT_EQ(LookupSiteLogin(logins, QStringLiteral("A.example")).userName, QStringLiteral("two"));
    EXPECT_EQ(LookupSiteLogin(logins, QStringLiteral("b.example")), SiteLogin {});
    EXPECT_EQ(LookupSiteLogin({}, QStringLiteral("a.example")), SiteLogin {});
}

} // namespace
