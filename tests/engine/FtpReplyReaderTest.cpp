#include "engine/FtpConnection.h"
#include "engine/FtpReplyReader.h"

#include "support/CaseName.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct ReplyCase {
    const char* name;
    QByteArray wire;
    QList<int> codes;
    QString firstText;
};

class FtpReplyReaderCases : public testing::TestWithParam<ReplyCase> { };

TEST_P(FtpReplyReaderCases, SplitsTheControlStreamIntoReplies)
{
    const ReplyCase& c = GetParam();
    for (const qsizetype piece : {qsizetype(1), qsizetype(3), qsizetype(1000)}) {
        FtpReplyReader reader;
        QList<FtpReply> replies;
        for (qsizetype at = 0; at < c.wire.size(); at += piece)
            replies += reader.feed(c.wire.mid(at, piece));
        QList<int> codes;
        for (const FtpReply& reply : replies)
            codes.append(reply.code);
        EXPECT_EQ(codes, c.codes) << "pieces of " << piece;
        if (!replies.isEmpty()) {
            EXPECT_EQ(replies.first().text, c.firstText) << "pieces of " << piece;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FtpReplyReaderCases,
    testing::Values(ReplyCase {"OneLine", "220 Ready\r\n", {220}, QStringLiteral("220 Ready")},
                    ReplyCase {
                        "MultiLineBanner",
                        "220-Welcome\r\n220-to the server\r\n 220 indented is no end\r\n220 Ready\r\n",
                        {220},
                        QStringLiteral("220-Welcome\r\n220-to the server\r\n 220 indented is no end\r\n220 Ready")},
                    ReplyCase {"OtherCodeInsideIsText",
                               "230-Hello\r\n150 not a reply\r\n230 Logged in\r\n",
                               {230},
                               QStringLiteral("230-Hello\r\n150 not a reply\r\n230 Logged in")},
                    ReplyCase {"SeveralInOneRead",
                               "200 Type set\r\n350 Restarting\r\n150 Opening (5 bytes)\r\n",
                               {200, 350, 150},
                               QStringLiteral("200 Type set")},
                    ReplyCase {"BareLineFeeds", "331 Password\n230 In\n", {331, 230}, QStringLiteral("331 Password")},
                    ReplyCase {"UnfinishedReplyWaits", "220 Ready\r\n226 Trans", {220}, QStringLiteral("220 Ready")},
                    ReplyCase {"NoiseSkipped", "hello\r\n220 Ready\r\n", {220}, QStringLiteral("220 Ready")}),
    CaseName());

TEST(FtpReplyReader, RefusesAnEndlessReply)
{
    FtpReplyReader reader;
    reader.feed("220-start\r\n");
    for (int i = 0; i < 2000 && !reader.overflowed(); ++i)
        reader.feed("220-" + QByteArray(100, 'x') + "\r\n");
    EXPECT_TRUE(reader.overflowed());
}

TEST(FtpConnection, ReadsThePassiveAddress)
{
    const auto address = FtpConnection::parsePassiveReply(
        QStringLiteral("227 Entering Passive Mode (192,168,1,2,19,137)."));
    ASSERT_TRUE(address);
    EXPECT_EQ(address->host, QHostAddress(QStringLiteral("192.168.1.2")));
    EXPECT_EQ(address->port, 5001);
    EXPECT_FALSE(FtpConnection::parsePassiveReply(QStringLiteral("227 Entering Passive Mode")));
    EXPECT_FALSE(FtpConnection::parsePassiveReply(QStringLiteral("227 (1,2,3,4,300,1)")));
    EXPECT_EQ(FtpConnection::parsePassiveReply(QStringLiteral("227 =127,0,0,1,4,1"))->port, 1025);
}

TEST(FtpConnection, ReadsTheExtendedPassivePort)
{
    EXPECT_EQ(FtpConnection::parseExtendedPassiveReply(QStringLiteral("229 Entering Extended Passive Mode (|||6446|)")),
              6446);
    EXPECT_EQ(FtpConnection::parseExtendedPassiveReply(QStringLiteral("229 ok (!!!65535!)")), 65535) << "any delimiter";
    for (const char* refused :
         {"229 Entering Extended Passive Mode", "229 (|||0|)", "229 (|||65536|)", "229 (||6446|)", "229 (|!|6446|)"})
        EXPECT_FALSE(FtpConnection::parseExtendedPassiveReply(QString::fromLatin1(refused))) << refused;
}

struct HostCase {
    const char* name;
    const char* named;
    const char* peer;
    const char* expected;
};

class FtpDataHost : public testing::TestWithParam<HostCase> { };

TEST_P(FtpDataHost, ConnectsWhereTheServerCanBeReached)
{
    const HostCase& c = GetParam();
    EXPECT_EQ(FtpConnection::reachableDataHost(QHostAddress(QString::fromLatin1(c.named)),
                                               QHostAddress(QString::fromLatin1(c.peer))),
              QHostAddress(QString::fromLatin1(c.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FtpDataHost,
    testing::Values(HostCase {"AsNamed", "203.0.113.5", "203.0.113.9", "203.0.113.5"},
                    HostCase {"AnyAddress", "0.0.0.0", "198.51.100.7", "198.51.100.7"},
                    HostCase {"PrivateBehindNat", "10.1.2.3", "198.51.100.7", "198.51.100.7"},
                    HostCase {"PrivateOnAPrivateNetwork", "192.168.1.5", "192.168.1.2", "192.168.1.5"},
                    HostCase {"PrivateSeenOnLoopback", "10.255.255.1", "127.0.0.1", "127.0.0.1"},
                    HostCase {"Ipv4AddressOverIpv6", "127.0.0.1", "::1", "::1"},
                    HostCase {"Ipv4WrittenAsIpv6", "203.0.113.5", "::ffff:203.0.113.9", "203.0.113.5"}),
    CaseName());

} // namespace
