#include "ServedFiles.h"

#include "support/CaseName.h"
#include "support/PeerRequirement.h"
#include "support/PyftpdlibServer.h"
#include "support/VsftpdServer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// vsftpd and pyftpdlib serve files byte for byte to curl, passive and active,
// resumed, anonymous or (pyftpdlib) to a named user, and log the commands.
namespace {

const QString kUser = QStringLiteral("kevatest");
const QString kPassword = QStringLiteral("s3cret");

struct FetchCase {
    std::string name;
    std::function<std::unique_ptr<FtpPeerServer>(const QString& folder)> make;
    QStringList curlOptions;
    qsizetype alreadyHere; // bytes of the file that are on disk before curl runs
    QString loggedVerb;    // a command the peer must have received
    QString loggedArgument;
};

std::unique_ptr<FtpPeerServer> vsftpd(const QString& folder)
{
    return std::make_unique<VsftpdServer>(folder);
}

std::unique_ptr<FtpPeerServer> pyftpdlib(const QString& folder)
{
    auto server = std::make_unique<PyftpdlibServer>(folder);
    server->setUser(kUser, kPassword);
    return server;
}

const QStringList kActive = {QStringLiteral("--ftp-port"), QStringLiteral("127.0.0.1")};
const QStringList kResume = {QStringLiteral("-C"), QStringLiteral("-")};
const QStringList kNamedUser = {QStringLiteral("-u"), kUser + QLatin1Char(':') + kPassword};

const FetchCase kFetches[] = {
    {"VsftpdPassive", vsftpd, {}, 0, QStringLiteral("EPSV"), {}},
    {"VsftpdActive", vsftpd, kActive, 0, QStringLiteral("EPRT"), {}},
    {"VsftpdResume", vsftpd, kResume, 500, QStringLiteral("REST"), QStringLiteral("500")},
    {"PyftpdlibPassive", pyftpdlib, {}, 0, QStringLiteral("EPSV"), {}},
    {"PyftpdlibActive", pyftpdlib, kActive, 0, QStringLiteral("EPRT"), {}},
    {"PyftpdlibResume", pyftpdlib, kResume, 500, QStringLiteral("REST"), QStringLiteral("500")},
    {"PyftpdlibNamedUser", pyftpdlib, kNamedUser, 0, QStringLiteral("USER"), kUser},
};

class FtpPeerServerTest : public testing::TestWithParam<FetchCase> { };

TEST_P(FtpPeerServerTest, ServesTheFileByteForByte)
{
    const FetchCase& row = GetParam();
    const ServedFiles files;
    const std::unique_ptr<FtpPeerServer> server = row.make(files.folder());
    KEVA_REQUIRE_PEER(*server);

    const QTemporaryDir downloads;
    const QString target = downloads.filePath(QStringLiteral("file.bin"));
    QFile partial(target);
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    partial.write(ServedFiles::data().left(row.alreadyHere));
    partial.close();

    QProcess curl;
    curl.start(QStringLiteral("curl"),
               QStringList {QStringLiteral("-sS"), QStringLiteral("--max-time"), QStringLiteral("10")} + row.curlOptions
                   + QStringList {server->url(QStringLiteral("/file.bin")).toString(), QStringLiteral("-o"), target});
    ASSERT_TRUE(curl.waitForFinished(15000));
    ASSERT_EQ(curl.exitCode(), 0) << curl.readAllStandardError().toStdString();

    ASSERT_TRUE(partial.open(QIODevice::ReadOnly));
    EXPECT_EQ(partial.readAll(), ServedFiles::data());
    const QList<FtpCommand> log = server->commandLog(1);
    const auto logged = std::find_if(log.begin(), log.end(), [&](const FtpCommand& command) {
        return command.verb == row.loggedVerb
            && (row.loggedArgument.isNull() || command.argument == row.loggedArgument);
    });
    EXPECT_NE(logged, log.end()) << row.loggedVerb.toStdString() << " was not logged";
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const FtpCommand& command) {
        return command.verb == QStringLiteral("RETR") && command.argument == QStringLiteral("file.bin");
    }));
}

INSTANTIATE_TEST_SUITE_P(Cases, FtpPeerServerTest, testing::ValuesIn(kFetches), CaseName());

} // namespace
