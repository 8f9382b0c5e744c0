#include "ServedFiles.h"

#include "support/CaseName.h"
#include "support/LighttpdServer.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/RawHttpClient.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// nginx and lighttpd answer ranges as real servers do, and their access logs
// show each request's range, user agent, status and body size.
namespace {

const QByteArray kUserAgent = QByteArrayLiteral("QuillspanPeerTest/1.0");

struct Peer {
    std::string name;
    std::function<std::unique_ptr<PeerServer>(const QString& folder)> make;
};

struct PeerRangeCase {
    std::string name;
    QByteArray range; // empty: no Range header
    int status;
    qsizetype first;  // of the expected body within the file
    qsizetype length; // 0: an error page instead of file bytes
};

const Peer kPeers[] = {
    {"Nginx", [](const QString& folder) { return std::make_unique<NginxServer>(folder); }},
    {"Lighttpd", [](const QString& folder) { return std::make_unique<LighttpdServer>(folder); }},
};

const PeerRangeCase kRanges[] = {
    {"Whole", {}, 200, 0, 100000},
    {"Middle", "bytes=10-19", 206, 10, 10},
    {"OpenEnded", "bytes=99990-", 206, 99990, 10},
    {"Suffix", "bytes=-5", 206, 99995, 5},
    {"PastTheEnd", "bytes=100000-", 416, 0, 0},
};

class HttpPeerServerTest : public testing::TestWithParam<std::tuple<Peer, PeerRangeCase>> { };

TEST_P(HttpPeerServerTest, HonoursTheRangeAndLogsIt)
{
    const auto& [peer, row] = GetParam();
    const ServedFiles files;
    const std::unique_ptr<PeerServer> server = peer.make(files.folder());
    KEVA_REQUIRE_PEER(*server);

    QByteArray headers = "User-Agent: " + kUserAgent + "\r\n";
    if (!row.range.isEmpty())
        headers += "Range: " + row.range + "\r\n";
    const RawHttpReply reply = RawHttpClient(server->port()).request("GET", QStringLiteral("/file.bin"), headers);

    ASSERT_EQ(reply.status(), row.status);
    if (row.length > 0) {
        EXPECT_EQ(reply.body(), ServedFiles::data().mid(row.first, row.length));
    }
    const QList<AccessLogEntry> log = server->accessLog(1);
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log.first().request, QStringLiteral("GET /file.bin HTTP/1.1"));
    EXPECT_EQ(log.first().range, QString::fromLatin1(row.range));
    EXPECT_EQ(log.first().userAgent, QString::fromLatin1(kUserAgent));
    EXPECT_EQ(log.first().status, row.status);
    if (row.length > 0) {
        EXPECT_EQ(log.first().bytes, row.length);
    }
}

INSTANTIATE_TEST_SUITE_P(Peers, HttpPeerServerTest,
                         testing::Combine(testing::ValuesIn(kPeers), testing::ValuesIn(kRanges)),
                         [](const testing::TestParamInfo<std::tuple<Peer, PeerRangeCase>>& row) {
                             return std::get<0>(row.param).name + std::get<1>(row.param).name;
                         });

} // namespace
