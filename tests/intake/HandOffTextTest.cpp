#include "intake/HandOffText.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

BrowserSession fullSession()
{
    return {QStringLiteral("http://h/list.html#top"), QStringLiteral("Mozilla/5.0 (X11; Linux x86_64)"),
            QStringLiteral("sid=\"a1\"; theme=dark"), QStringLiteral("r\u00e9sum\u00e9.zip"),
            QStringLiteral("application/zip")};
}

BrowserSession cookieOnly()
{
    BrowserSession session;
    session.cookie = QStringLiteral("sid=a1");
    return session;
}

struct TextCase {
    const char* name;
    QString url;
    BrowserSession session;
    QString text; // as composed
};

class HandOffTextCases : public testing::TestWithParam<TextCase> { };

// A URL alone is the text a second start of KEVA hands over, byte for byte;
// a session follows on a line of its own, and comes back whole.
TEST_P(HandOffTextCases, ComposesAndParsesBack)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(HandOffText::compose(c.url, c.session), c.text);
    const HandOffText::Parsed parsed = HandOffText::parse(c.text);
    EXPECT_EQ(parsed.url, c.url);
    EXPECT_EQ(parsed.session, c.session);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HandOffTextCases,
    testing::Values(TextCase {"PlainUrl", QStringLiteral("http://h/a.zip"), {}, QStringLiteral("http://h/a.zip")},
                    TextCase {"UrlWithQuery",
                              QStringLiteral("http://h/get.php?f=a.zip&x={1}"),
                              {},
                              QStringLiteral("http://h/get.php?f=a.zip&x={1}")},
                    TextCase {"OneField", QStringLiteral("http://h/a.zip"), cookieOnly(),
                              QStringLiteral("http://h/a.zip\n{\"cookie\":\"sid=a1\"}")},
                    TextCase {"EveryField", QStringLiteral("http://h/download.php?id=7"), fullSession(),
                              QStringLiteral("http://h/download.php?id=7\n{\"cookie\":\"sid=\\\"a1\\\"; theme=dark\","
                                             "\"fileName\":\"r\u00e9sum\u00e9.zip\",\"mimeType\":\"application/zip\","
                                             "\"referrer\":\"http://h/list.html#top\","
                                             "\"userAgent\":\"Mozilla/5.0 (X11; Linux x86_64)\"}")}),
    CaseName());

// A second line that is no JSON object, or fields that are no texts, leave
// the URL with an empty session.
TEST(HandOffText, ABrokenSessionGivesTheUrlAlone)
{
    for (const QString& text :
         {QStringLiteral("http://h/a.zip\n{\"cookie\":"), QStringLiteral("http://h/a.zip\n[\"sid=a1\"]"),
          QStringLiteral("http://h/a.zip\n"), QStringLiteral("http://h/a.zip\n{\"cookie\":7,\"fileName\":null}")}) {
        const HandOffText::Parsed parsed = HandOffText::parse(text);
        EXPECT_EQ(parsed.url, QStringLiteral("http://h/a.zip")) << text.toStdString();
        EXPECT_TRUE(parsed.session.isEmpty()) << text.toStdString();
    }
}

} // namespace
