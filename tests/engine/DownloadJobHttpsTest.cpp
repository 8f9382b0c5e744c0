// Downloads over https:// from nginx with certificates made for the test:
// byte-exact transfers, pause and resume, redirects between http and https,
// and every kind of untrusted certificate refused with its reason.
#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "engine/TlsTrust.h"

#include "support/AskedRanges.h"
#include "support/CaseName.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestCertificates.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class DownloadJobHttps : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_TRUE(certificates.ok()) << certificates.error().toStdString();
        QString problem;
        ASSERT_TRUE(TlsTrust::addAuthorities(certificates.authority(), &problem)) << problem.toStdString();
    }
    void TearDown() override { TlsTrust::reset(); }

    // nginx over TLS with `pair`, serving the test files, "/slow/" at 256 KB/s.
    std::unique_ptr<NginxServer> tlsServer(const TestCertificates::Pair& pair)
    {
        auto nginx = std::make_unique<NginxServer>(files.root());
        nginx->useTls(pair.certificate, pair.key);
        nginx->addRateLimitedLocation(QStringLiteral("/slow/"), 256 * 1024);
        return nginx;
    }

    static QStringList rangesOf(const NginxServer& nginx, qsizetype atLeast)
    {
        QStringList ranges;
        for (const AccessLogEntry& entry : nginx.accessLog(atLeast)) {
            if (entry.method() == QStringLiteral("GET"))
                ranges.append(entry.range);
        }
        ranges.sort();
        return ranges;
    }

    const TestCertificates& certificates = TestCertificates::instance();
};

struct TlsBoundCase {
    const char* name;
    qint64 size;
    QStringList ranges;
};

class DownloadJobHttpsBounds : public DownloadJobHttps, public testing::WithParamInterface<TlsBoundCase> { };

TEST_P(DownloadJobHttpsBounds, FetchesEachRangeOnceByteExact)
{
    const TlsBoundCase& c = GetParam();
    const QString name = files.make(c.size);
    const auto nginx = tlsServer(certificates.server());
    KEVA_REQUIRE_PEER(*nginx);

    const auto result = runner->run(nginx->url(QLatin1Char('/') + name).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    ExpectRangesAskedOnce(RangesAsked(*nginx, c.ranges), c.ranges);
    EXPECT_EQ(runner->jobs.row(1)->subItem(5), QStringLiteral("Download Success"));
}

INSTANTIATE_TEST_SUITE_P(Bounds, DownloadJobHttpsBounds,
                         testing::Values(TlsBoundCase {"Single", 2097151, {QStringLiteral("bytes=0-2097150")}},
                                         TlsBoundCase {"ThreeSegments",
                                                       5242881,
                                                       {QStringLiteral("bytes=0-1747626"),
                                                        QStringLiteral("bytes=1747627-3495253"),
                                                        QStringLiteral("bytes=3495254-5242880")}}),
                         CaseName());

TEST_F(DownloadJobHttps, PauseAndResumeGoOnWhereEachSegmentStood)
{
    const QString name = files.make(3 * kMiB);
    const auto nginx = tlsServer(certificates.server());
    KEVA_REQUIRE_PEER(*nginx);
    DownloadJob* job = startSlow(*nginx, name, kMiB / 2);
    ASSERT_EQ(job->segmentTable().connections(), 2);
    job->Pause_Resume();
    ASSERT_EQ(job->phase(), JobPhase::Paused);
    job->Pause_Resume();
    const auto result = runner->wait(job, 60000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
}

// A stall over TLS: nginx sends 100,000 bytes, then a byte a second. The
// watchdog, driven through its tick, pauses and resumes the job, whose new
// request gets the rest at once.
TEST_F(DownloadJobHttps, WatchdogResumesAStalledTransfer)
{
    const QString name = files.make(150000);
    const auto nginx = tlsServer(certificates.server());
    nginx->addServerText(QStringLiteral("location /stall/ { alias \"%1/\"; limit_rate_after 100000; limit_rate 1; }\n")
                             .arg(files.root()));
    KEVA_REQUIRE_PEER(*nginx);
    DownloadJob* job = runner->start(nginx->url(QStringLiteral("/stall/") + name).toString(), saveTo(name));
    // nginx counts the header in the first 100,000 bytes.
    JobRunner::waitFor([&] { return job->receivedBytes() >= 99000; }, 20000);
    ASSERT_GE(job->receivedBytes(), 99000);
    ASSERT_LT(job->receivedBytes(), 150000) << "the stall came";
    ASSERT_TRUE(job->watchdogRunning());

    tickWatchdogUntilItRestarts(*job);
    EXPECT_EQ(job->reconnectAttempts(), 1);
    const auto result = runner->wait(job, 20000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
}

TEST_F(DownloadJobHttps, ResumesAPartialFile)
{
    const QString name = files.make(kMiB + 12345);
    const auto nginx = tlsServer(certificates.server());
    KEVA_REQUIRE_PEER(*nginx);
    QFile source(files.path(name));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QFile partial(saveTo(name));
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    partial.write(source.read(300000));
    partial.close();

    const auto result = runner->run(nginx->url(QLatin1Char('/') + name).toString(), saveTo(name),
                                    FileExistsChoice::Resume);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    // Positions count from 1: the rollback and one byte more come again.
    EXPECT_EQ(rangesOf(*nginx, 1), QStringList {QStringLiteral("bytes=%1-%2").arg(300000 - 4096 - 1).arg(kMiB + 12344)})
        << "from the file's end less the rollback";
}

TEST_F(DownloadJobHttps, FollowsRedirectsBetweenHttpAndHttps)
{
    const QString name = files.make(100000);
    // https -> http -> https: each server is started before the one that
    // sends the download to it.
    const auto last = tlsServer(certificates.server());
    KEVA_REQUIRE_PEER(*last);
    NginxServer middle(files.root());
    middle.addRedirect(QStringLiteral("/mid"), last->url(QLatin1Char('/') + name).toString(), 301);
    KEVA_REQUIRE_PEER(middle);
    const auto first = tlsServer(certificates.server());
    first->addRedirect(QStringLiteral("/start"), middle.url(QStringLiteral("/mid")).toString());
    KEVA_REQUIRE_PEER(*first);

    const auto result = runner->run(first->url(QStringLiteral("/start")).toString(), saveTo(name));
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(result.job->url(), last->url(QLatin1Char('/') + name).toString());
}

TEST_F(DownloadJobHttps, AServerThatSpeaksNoTlsEndsTheJobWithTheReason)
{
    const QString name = files.make(50000);
    NginxServer plain(files.root());
    KEVA_REQUIRE_PEER(plain);
    QUrl url = plain.url(QLatin1Char('/') + name);
    url.setScheme(QStringLiteral("https"));

    const auto result = runner->run(url.toString(), saveTo(name));
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.failure, QStringLiteral("The secure connection failed: wrong version number."));
    EXPECT_FALSE(QFile::exists(saveTo(name))) << "nothing written";
}

struct BadCertificateCase {
    const char* name;
    TestCertificates::Pair (*pair)(const TestCertificates&);
    bool trustAuthority;
    const char* reason;
};

class DownloadJobBadCertificates : public DownloadJobHttps, public testing::WithParamInterface<BadCertificateCase> { };

TEST_P(DownloadJobBadCertificates, EndTheJobWithTheirReasonAndWriteNothing)
{
    const BadCertificateCase& c = GetParam();
    if (!c.trustAuthority)
        TlsTrust::reset(); // the system's authorities alone
    const QString name = files.make(50000);
    const auto nginx = tlsServer(c.pair(certificates));
    KEVA_REQUIRE_PEER(*nginx);

    const auto result = runner->run(nginx->url(QLatin1Char('/') + name).toString(), saveTo(name));
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.failure,
              QStringLiteral("The server's certificate is not trusted: %1.").arg(QLatin1String(c.reason)));
    EXPECT_TRUE(result.job->view().lblStatusIsError);
    EXPECT_FALSE(QFile::exists(saveTo(name))) << "nothing written";
    EXPECT_TRUE(rangesOf(*nginx, 0).isEmpty()) << "no request reached the server";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DownloadJobBadCertificates,
    testing::Values(BadCertificateCase {"Expired", [](const TestCertificates& made) { return made.expired(); }, true,
                                        "the certificate has expired"},
                    BadCertificateCase {"OtherHost", [](const TestCertificates& made) { return made.otherHost(); },
                                        true, "the certificate is for another host"},
                    BadCertificateCase {"SelfSigned", [](const TestCertificates& made) { return made.selfSigned(); },
                                        true, "the certificate is self-signed"},
                    BadCertificateCase {"UnknownAuthority", [](const TestCertificates& made) { return made.server(); },
                                        false, "the certificate comes from an unknown authority"}),
    CaseName());

} // namespace
