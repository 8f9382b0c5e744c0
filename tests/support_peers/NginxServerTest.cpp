#include "ServedFiles.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/RawHttpClient.h"

#include <gtest/gtest.h>

namespace {

TEST(NginxServerTest, RateLimitedLocationServesTheSameFilesSlowly)
{
    const ServedFiles files;
    NginxServer server(files.folder());
    // 100000 bytes at 20000 bytes/s take seconds; the client gives up long before.
    server.addRateLimitedLocation(QStringLiteral("/slow/"), 20000);
    KEVA_REQUIRE_PEER(server);

    const RawHttpReply fast = RawHttpClient(server.port()).request("GET", QStringLiteral("/file.bin"));
    const RawHttpReply slow = RawHttpClient(server.port(), 300).request("GET", QStringLiteral("/slow/file.bin"));

    EXPECT_EQ(fast.ending(), RawHttpReply::Ending::Closed);
    EXPECT_EQ(fast.body(), ServedFiles::data());
    EXPECT_EQ(slow.status(), 200);
    EXPECT_EQ(slow.ending(), RawHttpReply::Ending::TimedOut);
    EXPECT_LT(slow.body().size(), ServedFiles::data().size());
    EXPECT_TRUE(ServedFiles::data().startsWith(slow.body()));
}

TEST(NginxServerTest, RedirectLocationAnswersWithTheTarget)
{
    const ServedFiles files;
    NginxServer server(files.folder());
    server.addRedirect(QStringLiteral("/moved.bin"), QStringLiteral("/file.bin"), 301);
    KEVA_REQUIRE_PEER(server);

    const RawHttpReply reply = RawHttpClient(server.port()).request("GET", QStringLiteral("/moved.bin"));

    EXPECT_EQ(reply.status(), 301);
    EXPECT_TRUE(reply.header("Location").endsWith("/file.bin")) << reply.header("Location").toStdString();
}

} // namespace
