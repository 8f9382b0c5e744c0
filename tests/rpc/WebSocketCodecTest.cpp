#include "RpcTestClient.h"

#include "rpc/WebSocketCodec.h"

#include <gtest/gtest.h>

namespace {

using Frame = RpcTestClient;

// How the codec takes frames a client should not send: it closes with the
// code that says why, and hands on no message.
TEST(WebSocketCodec, ClosesOnFramesAClientMayNotSend)
{
    QByteArray unmasked = Frame::maskedFrame(1, "{}");
    unmasked[1] = static_cast<char>(unmasked[1] & 0x7F);
    unmasked.remove(2, 4);
    QByteArray reserved = Frame::maskedFrame(1, "{}");
    reserved[0] = static_cast<char>(reserved[0] | 0x40);
    const struct {
        const char* name;
        QByteArray bytes;
        quint16 closeCode;
    } cases[] = {
        {"Unmasked", unmasked, 1002},
        {"ReservedBit", reserved, 1002},
        {"ContinuationFirst", Frame::maskedFrame(0, "{}"), 1002},
        {"FragmentedPing", Frame::maskedFrame(9, "x", false), 1002},
        {"OverOneMiB", Frame::maskedFrame(1, QByteArray(WebSocketCodec::kMostBytes + 1, 'x')), 1009},
        {"FragmentsOverOneMiB",
         Frame::maskedFrame(1, QByteArray(WebSocketCodec::kMostBytes, 'x'), false) + Frame::maskedFrame(0, "x"), 1009},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WebSocketCodec codec;
        const WebSocketCodec::Read read = codec.feed(c.bytes);
        EXPECT_TRUE(read.closed);
        EXPECT_TRUE(read.messages.isEmpty());
        EXPECT_EQ(read.reply, WebSocketCodec::closeFrame(c.closeCode));
    }
}

TEST(WebSocketCodec, ReadsAMessageInPiecesOfAnySize)
{
    const QByteArray big(70000, 'y');
    const QByteArray bytes = Frame::maskedFrame(1, big) + Frame::maskedFrame(2, "z");
    WebSocketCodec codec;
    QList<QByteArray> messages;
    for (qsizetype at = 0; at < bytes.size(); at += 4097)
        messages += codec.feed(bytes.mid(at, 4097)).messages;
    EXPECT_EQ(messages, (QList<QByteArray> {big, "z"}));
    EXPECT_FALSE(codec.hasPartialFrame());
    EXPECT_EQ(WebSocketCodec::textFrame(QByteArray(300, 'y')).left(4), QByteArray("\x81\x7e\x01\x2c", 4));
}

} // namespace
