#include "site/CrawlFolder.h"

#include "support/CaseName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Folders a crawl may not write through; the crawl's folder is root/crawl,
// and root/outside lies beside it.
struct FolderCase {
    const char* name;
    const char* savePath; // below root/crawl
    bool allowed;
};

class CrawlFolderCase : public testing::TestWithParam<FolderCase> { };

TEST_P(CrawlFolderCase, MakesFoldersOnlyBeneathTheCrawlFolder)
{
    QTemporaryDir root;
    const QString crawl = root.filePath(QStringLiteral("crawl"));
    const QString outside = root.filePath(QStringLiteral("outside"));
    QDir().mkpath(crawl + QStringLiteral("/real"));
    QDir().mkpath(outside);
    QFile::link(outside, crawl + QStringLiteral("/linked"));
    QFile::link(outside + QStringLiteral("/target.bin"), crawl + QStringLiteral("/real/link.bin"));
    QFile plain(crawl + QStringLiteral("/plain"));
    plain.open(QIODevice::WriteOnly);
    plain.close();

    const QString savePath = crawl + QLatin1Char('/') + QString::fromUtf8(GetParam().savePath);
    EXPECT_EQ(CrawlFolder::prepare(crawl, savePath), GetParam().allowed);
    EXPECT_TRUE(QDir(outside).isEmpty());
    if (GetParam().allowed) {
        EXPECT_TRUE(QFileInfo(QFileInfo(savePath).absolutePath()).isDir());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CrawlFolderCase,
                         testing::Values(FolderCase {"InTheFolder", "a.zip", true},
                                         FolderCase {"NewFolders", "a/b/c.zip", true},
                                         FolderCase {"ExistingFolder", "real/c.zip", true},
                                         FolderCase {"ThroughALinkedFolder", "linked/a/b.zip", false},
                                         FolderCase {"ALinkedFile", "real/link.bin", false},
                                         FolderCase {"AFileOnTheWay", "plain/a.zip", false},
                                         FolderCase {"Above", "../outside/a.zip", false}),
                         CaseName());

} // namespace
