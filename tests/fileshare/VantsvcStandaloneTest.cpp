#include "PeerRun.h"
#include "PeerTool.h"
#include "UnprivilegedUser.h"
#include "VantsvcProcess.h"

#include "support/CaseName.h"
#include "support/RawHttpClient.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <utime.h>

namespace {

// Vantsvc on its own, run as a user who is held to the modes of the files:
// a file it may not read, a folder it may pass but not list, a folder it may
// not enter.
class VantsvcAsUserTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::optional<UnprivilegedUser> user = UnprivilegedUser::find();
        if (!user)
            GTEST_SKIP() << "the tests run as root and there is no user \"nobody\" to run Vantsvc as";
        home.writeFile(QStringLiteral("site/open.txt"), "open to all");
        home.writeFile(QStringLiteral("site/locked.txt"), "locked away");
        home.writeFile(QStringLiteral("site/listless/inside.txt"), "passed through");
        home.writeFile(QStringLiteral("site/shut/inside.txt"), "shut in");
        setMode("site/locked.txt", 0);
        setMode("site/listless", 0311);
        setMode("site/shut", 0);
        // The user reaches the folders and its own copy of the program,
        // wherever the build tree lies.
        setMode("", 0755);
        const QString program = home.path(QStringLiteral("Vantsvc"));
        ASSERT_TRUE(QFile::copy(TestHome::binFolder() + QStringLiteral("/Vantsvc"), program));
        setMode("Vantsvc", 0755);
        server = std::make_unique<VantsvcProcess>(QStringList {home.path(QStringLiteral("site"))},
                                                  VantsvcProcess::Launch {program, {}, user->becomeInChild()});
        ASSERT_TRUE(server->started()) << "Vantsvc did not serve as the other user; it needs to reach "
                                       << home.path(QString()).toStdString() << " through its parents. "
                                       << server->errors().toStdString();
    }

    void TearDown() override
    {
        // The temporary folder can be removed again (nothing to do after a skip).
        for (const char* folder : {"site/listless", "site/shut"})
            ::chmod(home.path(QString::fromLatin1(folder)).toUtf8().constData(), 0755);
    }

    void setMode(const char* name, mode_t mode) const
    {
        ASSERT_EQ(::chmod(home.path(QString::fromLatin1(name)).toUtf8().constData(), mode), 0) << name;
    }

    TestHome home;
    std::unique_ptr<VantsvcProcess> server;
};

struct AsUserCase {
    const char* name;
    const char* path;
    int status;
    QByteArray body = {}; // the exact body, or one that contains bodyHolds
    QByteArray bodyHolds = {};
    QByteArray header = {}; // a header of the answer and its value
    QByteArray value = {};
};

class AsUserCases : public VantsvcAsUserTest, public testing::WithParamInterface<AsUserCase> { };

TEST_P(AsUserCases, AnswersByWhatTheUserMayRead)
{
    const AsUserCase& c = GetParam();
    const RawHttpReply reply = RawHttpClient(server->port()).request("GET", QString::fromLatin1(c.path));
    EXPECT_EQ(reply.status(), c.status) << reply.bytes().toStdString();
    if (!c.body.isEmpty()) {
        EXPECT_EQ(reply.body(), c.body);
    }
    if (!c.bodyHolds.isEmpty()) {
        EXPECT_TRUE(reply.body().contains(c.bodyHolds)) << reply.body().toStdString();
    }
    if (!c.header.isEmpty()) {
        EXPECT_EQ(reply.header(c.header), c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AsUserCases,
    testing::Values(AsUserCase {"ReadableFile", "/open.txt", 200, "open to all"},
                    AsUserCase {"UnreadableFileAsksForALogin",
                                "/locked.txt",
                                401,
                                {},
                                "Error 401 - Unauthorized",
                                "WWW-Authenticate",
                                "Basic realm=/locked.txt"},
                    AsUserCase {"FolderThatCanNotBeListed", "/listless/", 500, {}, "Error 500 - Internal Server Error"},
                    AsUserCase {"FolderThatCanNotBeEntered", "/shut/", 500, {}, "Error 500 - Internal Server Error"},
                    AsUserCase {
                        "UnlistedFolderWithoutSlashRedirects", "/listless", 301, {}, {}, "Location", "/listless/"},
                    AsUserCase {"FileInAFolderThatCanBePassed", "/listless/inside.txt", 200, "passed through"}),
    CaseName());

struct LimitCase {
    const char* name;
    bool hardLimitToo; // as `ulimit -n 64` leaves it; else the hard limit stays as it is
};

class VantsvcOpenFileLimit : public testing::TestWithParam<LimitCase> { };

// Vantsvc started with an open-file limit of 64 and 60 silent connections
// open: files and listings are still served. Below a higher hard limit it
// raises its own and keeps every connection; held to 64, silent connections
// make room, each connection keeping a descriptor for the file it sends.
TEST_P(VantsvcOpenFileLimit, FilesAndListingsAreServedBesideSilentConnections)
{
    const LimitCase& c = GetParam();
    rlimit lowered {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &lowered), 0);
    if (!c.hardLimitToo && lowered.rlim_max < 1024)
        GTEST_SKIP() << "the hard open-file limit (" << lowered.rlim_max << ") leaves nothing to raise to";
    lowered.rlim_cur = 64;
    if (c.hardLimitToo)
        lowered.rlim_max = 64;
    TestHome home;
    home.writeFile(QStringLiteral("site/a.txt"), "aaaa");
    VantsvcProcess server({home.path(QStringLiteral("site"))},
                          {QString(), {}, [lowered] { ::setrlimit(RLIMIT_NOFILE, &lowered); }});
    ASSERT_TRUE(server.started()) << server.errors().toStdString();

    std::vector<std::unique_ptr<RawHttpClient>> silent;
    for (int i = 0; i < 60; ++i) {
        silent.push_back(std::make_unique<RawHttpClient>(server.port()));
        ASSERT_TRUE(silent.back()->connected());
    }
    const RawHttpReply file = RawHttpClient(server.port()).request("GET", QStringLiteral("/a.txt"));
    EXPECT_EQ(file.status(), 200) << file.bytes().toStdString();
    EXPECT_EQ(file.body(), "aaaa");
    const RawHttpReply listing = RawHttpClient(server.port()).request("GET", QStringLiteral("/"));
    EXPECT_EQ(listing.status(), 200) << listing.bytes().toStdString();
    EXPECT_TRUE(listing.body().contains("<a href=/a.txt>a.txt</a>")) << listing.body().toStdString();
    if (!c.hardLimitToo) {
        ASSERT_TRUE(silent.front()->write("GET /a.txt HTTP/1.0\r\n\r\n"));
        EXPECT_TRUE(silent.front()->readUntilClosed().endsWith("\r\n\r\naaaa"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, VantsvcOpenFileLimit,
                         testing::Values(LimitCase {"BelowAHigherHardLimit", false},
                                         LimitCase {"AtTheHardLimit", true}),
                         CaseName());

// Listings write dates in the short formats of the locale Vantsvc runs in.
// The German locale is made for the test, so the machine need not have it.
TEST(VantsvcLocale, ListingDatesFollowTheLocale)
{
    REQUIRE_PEER(localedef, "localedef", "locales");
    TestHome home;
    QDir().mkpath(home.path(QStringLiteral("locale")));
    const PeerRun made = PeerRun::run(localedef,
                                      {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                       QStringLiteral("UTF-8"), home.path(QStringLiteral("locale/de_DE.UTF-8"))});
    if (!QFileInfo::exists(home.path(QStringLiteral("locale/de_DE.UTF-8/LC_TIME")))) {
        const std::string why = "localedef could not make de_DE.UTF-8 (install locales): " + made.errors.toStdString();
        if (PeerTool::inCi())
            FAIL() << why;
        GTEST_SKIP() << why;
    }
    home.writeFile(QStringLiteral("site/dated.txt"), "dated");
    const auto written = static_cast<std::time_t>(
        QDateTime(QDate(2024, 6, 30), QTime(12, 34, 56), Qt::UTC).toSecsSinceEpoch());
    const utimbuf times {written, written};
    ASSERT_EQ(::utime(home.path(QStringLiteral("site/dated.txt")).toUtf8().constData(), &times), 0);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LOCPATH"), home.path(QStringLiteral("locale")));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    VantsvcProcess server({home.path(QStringLiteral("site"))}, {QString(), environment, {}});
    ASSERT_TRUE(server.started()) << server.errors().toStdString();
    const RawHttpReply listing = RawHttpClient(server.port()).request("GET", QStringLiteral("/"));
    ASSERT_EQ(listing.status(), 200);
    EXPECT_TRUE(listing.body().contains(
        "<a href=/dated.txt>dated.txt</a></td><td>1KB</td><td>30.06.2024</td><td>12:34:56</td>"))
        << listing.body().toStdString();
}

} // namespace
