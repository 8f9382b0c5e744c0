#include "capture/CBrowserHelper.h"
#include "capture/NativeHost.h"
#include "capture/NativeMessageChannel.h"

#include "support/CaseName.h"
#include "support/NativeMessageFrames.h"
#include "support/TestHome.h"

#include <QBuffer>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

QByteArray frame(const QByteArray& body)
{
    return NativeMessageFrames::frame(body);
}

QStringList answers(const QByteArray& output)
{
    return NativeMessageFrames::bodies(output);
}

const char* const kTake = R"({"answer":"take"})";
const char* const kPass = R"({"answer":"pass"})";

struct ConversationCase {
    const char* name;
    QByteArray input;
    QStringList expected; // each answer, or the start of an error answer
    int exitCode;
    BrowserSession handed {}; // what the browser knew, as the last hand-off got it
};

class NativeHostConversation : public testing::TestWithParam<ConversationCase> { };

// The whole conversation over in-memory streams; the hand-off takes every
// URL that reaches it.
TEST_P(NativeHostConversation, AnswersEachMessageAndEndsCleanly)
{
    const ConversationCase& c = GetParam();
    TestHome home;
    Registry registry(home.registryFolder());
    BrowserSession handed;
    const CBrowserHelper helper(registry, [&handed](const QString&, const BrowserSession& session) {
        handed = session;
        return true;
    });
    QByteArray input = c.input;
    QBuffer in(&input);
    QByteArray output;
    QBuffer out(&output);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
    NativeMessageChannel channel(in, out);

    EXPECT_EQ(NativeHost(channel, helper).run(), c.exitCode);
    const QStringList got = answers(output);
    ASSERT_EQ(got.size(), c.expected.size()) << got.join(QLatin1Char('\n')).toStdString();
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_TRUE(got[i].startsWith(c.expected[i])) << got[i].toStdString();
    EXPECT_EQ(handed, c.handed);
}

const QString kError = QStringLiteral(R"({"answer":"error","error":")");

// A message of exactly the largest size: a URL padded with blanks.
QByteArray largestMessage()
{
    QByteArray body = R"({"url":"http://h/a.zip"})";
    body.insert(1, QByteArray(qsizetype(NativeMessageChannel::kMaxMessageBytes) - body.size(), ' '));
    return body;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, NativeHostConversation,
    testing::Values(
        ConversationCase {"Taken", frame(R"({"url":"http://h/a.zip"})"), {QString::fromUtf8(kTake)}, 0},
        ConversationCase {"Passed", frame(R"({"url":"http://h/a.html"})"), {QString::fromUtf8(kPass)}, 0},
        ConversationCase {"SeveralInARow",
                          frame(R"({"url":"http://h/a.zip"})") + frame(R"({"url":"http://h/"})")
                              + frame(R"({"url":"ftp://h/b.exe","tabId":4})"),
                          {QString::fromUtf8(kTake), QString::fromUtf8(kPass), QString::fromUtf8(kTake)},
                          0},
        ConversationCase {"EmptyInput", QByteArray(), {}, 0},
        // Malformed messages get an error answer and the next one is read.
        ConversationCase {"NotJson",
                          frame("{url: http://h/a.zip") + frame(R"({"url":"http://h/a.zip"})"),
                          {kError + QStringLiteral("the message is not JSON"), QString::fromUtf8(kTake)},
                          0},
        ConversationCase {"NotUtf8", frame("{\"url\":\"http://h/\xff.zip\"}"), {kError}, 0},
        ConversationCase {"EmptyMessage", frame(QByteArray()), {kError + QStringLiteral("the message is not JSON")}, 0},
        ConversationCase {
            "AnArray", frame(R"(["http://h/a.zip"])"), {kError + QStringLiteral("the message is not an")}, 0},
        ConversationCase {"NoUrl", frame(R"({"href":"http://h/a.zip"})"), {kError}, 0},
        ConversationCase {"UrlNotText", frame(R"({"url":42})"), {kError}, 0},
        // What the browser knew of the link goes to KEVA with it; a field that
        // is no text, or a line break that would start a request header of
        // the page's choosing, leaves the link to the browser.
        ConversationCase {"SessionHandedOn",
                          frame(R"json({"url":"http://h/download.php?id=7","referrer":"http://h/list.html",)json"
                                R"json("userAgent":"Mozilla/5.0 (X11)","cookies":"sid=a1; theme=dark",)json"
                                R"json("fileName":"report.zip","mime":"application/zip"})json"),
                          {QString::fromUtf8(kTake)},
                          0,
                          {QStringLiteral("http://h/list.html"), QStringLiteral("Mozilla/5.0 (X11)"),
                           QStringLiteral("sid=a1; theme=dark"), QStringLiteral("report.zip"),
                           QStringLiteral("application/zip")}},
        ConversationCase {"CookiesNotText",
                          frame(R"({"url":"http://h/a.zip","cookies":["sid=a1"]})"),
                          {kError + QStringLiteral(R"(\"cookies\" is not a text)")},
                          0},
        ConversationCase {"LineBreakInCookies",
                          frame(R"({"url":"http://h/a.zip","cookies":"sid=a1\r\nX-Admin: 1"})"),
                          {kError + QStringLiteral(R"(\"cookies\" holds a control character)")},
                          0},
        ConversationCase {"LargestSizeIsRead", frame(largestMessage()), {QString::fromUtf8(kTake)}, 0},
        // Over the limit or cut short: an error answer, then the end, without
        // waiting for bytes that may never come.
        ConversationCase {"OverTheLimit",
                          NativeMessageFrames::length(NativeMessageChannel::kMaxMessageBytes + 1)
                              + R"({"url":"http://h/a.zip"})",
                          {kError + QStringLiteral("a message of 1048577 bytes is over the limit of 1048576 bytes")},
                          1},
        ConversationCase {"FourGigabytes",
                          NativeMessageFrames::length(0xffffffffu),
                          {kError + QStringLiteral("a message of 4294967295")},
                          1},
        ConversationCase {"EndsInsideTheLength",
                          frame(R"({"url":"http://h/a.zip"})") + QByteArray("\x10\x00", 2),
                          {QString::fromUtf8(kTake), kError + QStringLiteral("the input ended inside a message")},
                          1},
        ConversationCase {"EndsInsideTheBody",
                          frame(R"({"url":"http://h/a.zip"})").chopped(3),
                          {kError + QStringLiteral("the input ended inside a message")},
                          1}),
    CaseName());

// A browser that has gone away: the answer cannot be written, and the host
// ends instead of reading on.
TEST(NativeHostOutput, EndsWhenTheAnswerCannotBeWritten)
{
    TestHome home;
    Registry registry(home.registryFolder());
    const CBrowserHelper helper(registry, [](const QString&, const BrowserSession&) { return true; });
    QByteArray input = frame(R"({"url":"http://h/a.zip"})") + frame(R"({"url":"http://h/b.zip"})");
    QBuffer in(&input);
    QBuffer out; // not open: every write fails
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    NativeMessageChannel channel(in, out);
    EXPECT_EQ(NativeHost(channel, helper).run(), 1);
    EXPECT_EQ(in.pos(), frame(R"({"url":"http://h/a.zip"})").size()) << "nothing read after the failed answer";
}

} // namespace
