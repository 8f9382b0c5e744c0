#include "mainwin/RemoteDownloads.h"

#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// No server listens on port 9 of loopback: what is checked here is where the
// download goes, not what arrives.
const QString kUrl = QStringLiteral("http://127.0.0.1:9/f.bin");

class RemoteDownloadsTest : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
    }

    TestHome home;
    KevaContext* context = nullptr;
};

// A GID is 16 hex digits made from the row alone: the same rows have the
// same GIDs in another run, and two rows of one file and address differ.
TEST_F(RemoteDownloadsTest, TheSameRowsHaveTheSameGidsInAnotherRun)
{
    const auto gids = [this] {
        JobList jobs;
        DownloadWindows windows(*context, jobs);
        RemoteDownloads remote(*context, windows);
        for (const char* path : {"/d/a.bin", "/d/b.bin", "/d/a.bin"})
            jobs.addRow({QString::fromLatin1(path), QStringLiteral("0%"), QStringLiteral("N/A"), QStringLiteral("N/A"),
                         JobStatus::kNotDownloaded, kUrl});
        QStringList made;
        for (int number = 1; number <= jobs.rowCount(); ++number)
            made.append(remote.gidOf(jobs.row(number)));
        return made;
    };
    const QStringList first = gids();
    EXPECT_EQ(first, gids());
    EXPECT_EQ(QSet<QString>(first.begin(), first.end()).size(), 3);
    for (const QString& gid : first)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{16}$")).match(gid).hasMatch()) << gid.toStdString();
}

struct ExistingCase {
    const char* name;
    RpcOptions options;
    const char* expected; // the file the download writes
};

RpcOptions with(std::optional<bool> allowOverwrite, std::optional<bool> continueDownload)
{
    RpcOptions options;
    options.allowOverwrite = allowOverwrite;
    options.continueDownload = continueDownload;
    return options;
}

class RemoteDownloadsExisting : public RemoteDownloadsTest, public testing::WithParamInterface<ExistingCase> { };

// A file that is there is never lost, and nobody is asked: it is gone on
// with or overwritten only when the client says so, else the download takes
// a free name beside it.
TEST_P(RemoteDownloadsExisting, AFileThatIsThereIsKeptUnlessTheClientSays)
{
    const ExistingCase& c = GetParam();
    home.writeFile(QStringLiteral("dl/f.bin"), "kept");
    home.writeFile(QStringLiteral("dl/f.1.bin"), "kept too");
    JobList jobs;
    DownloadWindows windows(*context, jobs);
    bool asked = false;
    windows.askFileExists = [&asked](const QString&) {
        asked = true;
        return FileExistsChoice::Keep;
    };
    RemoteDownloads remote(*context, windows);
    RpcOptions options = c.options;
    options.dir = home.path(QStringLiteral("dl"));
    QString problem;
    const QString gid = remote.add({kUrl}, options, std::nullopt, problem);
    ASSERT_FALSE(gid.isEmpty()) << problem.toStdString();
    EXPECT_FALSE(asked);
    ASSERT_EQ(jobs.rowCount(), 1);
    EXPECT_EQ(jobs.row(1)->subItem(JobColumn::SavePath), home.path(QString::fromLatin1(c.expected)));
    EXPECT_EQ(home.readFile(QStringLiteral("dl/f.1.bin")), "kept too");
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoteDownloadsExisting,
                         testing::Values(ExistingCase {"TakesAFreeName", {}, "dl/f.2.bin"},
                                         ExistingCase {"Continues", with(std::nullopt, true), "dl/f.bin"},
                                         ExistingCase {"Overwrites", with(true, std::nullopt), "dl/f.bin"}),
                         CaseName());

TEST_F(RemoteDownloadsTest, RefusesNamesOutsideItsFolderAndAddressesItCannotFetch)
{
    JobList jobs;
    DownloadWindows windows(*context, jobs);
    RemoteDownloads remote(*context, windows);
    RpcOptions outside;
    outside.out = QStringLiteral("../x.bin");
    RpcOptions relative;
    relative.dir = QStringLiteral("dl");
    for (const auto& [uri, options] : {std::pair {kUrl, outside}, std::pair {kUrl, relative},
                                       std::pair {QStringLiteral("file:///etc/passwd"), RpcOptions()}}) {
        QString problem;
        EXPECT_TRUE(remote.add({uri}, options, std::nullopt, problem).isEmpty()) << uri.toStdString();
        EXPECT_FALSE(problem.isEmpty());
    }
    EXPECT_EQ(jobs.rowCount(), 0);
}

} // namespace
