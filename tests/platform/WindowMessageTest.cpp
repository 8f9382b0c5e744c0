#include "platform/WindowMessage.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowMessage, RoundTripsThroughTheWire)
{
    const WindowMessage sent {WindowMessage::WM_SETTEXT, -42, 1, std::string("http://h/ä.zip\0x", 17)};
    const std::string wire = sent.encode();

    WindowMessage received;
    std::size_t consumed = 0;
    ASSERT_EQ(WindowMessage::decode(wire.data(), wire.size(), received, consumed),
              WindowMessage::DecodeResult::Complete);
    EXPECT_EQ(consumed, wire.size());
    EXPECT_EQ(received.message, sent.message);
    EXPECT_EQ(received.wParam, -42);
    EXPECT_EQ(received.child, 1u);
    EXPECT_EQ(received.text, sent.text);

    for (std::size_t cut = 0; cut < wire.size(); ++cut)
        EXPECT_EQ(WindowMessage::decode(wire.data(), cut, received, consumed), WindowMessage::DecodeResult::NeedMore)
            << cut;
}

TEST(WindowMessage, RefusesGarbageAndOversizedTexts)
{
    WindowMessage out;
    std::size_t consumed = 0;
    const std::string garbage = "GET / HTTP/1.0\r\n\r\n";
    EXPECT_EQ(WindowMessage::decode(garbage.data(), garbage.size(), out, consumed),
              WindowMessage::DecodeResult::Malformed);
    EXPECT_EQ(WindowMessage::decode("QX", 2, out, consumed), WindowMessage::DecodeResult::Malformed);

    std::string huge = WindowMessage {1, 0, 0, "x"}.encode();
    huge[20] = huge[21] = huge[22] = huge[23] = '\xff';
    EXPECT_EQ(WindowMessage::decode(huge.data(), huge.size(), out, consumed), WindowMessage::DecodeResult::TooLarge);
}

TEST(WindowMessage, RepliesCarryTheResultOnlyWhenHandled)
{
    const std::string handled = WindowMessage::encodeReply(WindowMessage::ReplyStatus::Handled, -7);
    EXPECT_EQ(WindowMessage::decodeReply(handled.data(), handled.size()), -7);
    const std::string refused = WindowMessage::encodeReply(WindowMessage::ReplyStatus::Refused, 5);
    EXPECT_FALSE(WindowMessage::decodeReply(refused.data(), refused.size()).has_value());
    EXPECT_FALSE(WindowMessage::decodeReply(handled.data(), handled.size() - 1).has_value());
}

} // namespace
