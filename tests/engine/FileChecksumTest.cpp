#include "engine/FileChecksum.h"

#include "support/CaseName.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

// The most memory the process has held so far, in KiB.
long peakKib()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct HashCase {
    const char* name;
    QByteArray content;
    qint64 sparseSize; // the file is made this long (holes read as zeros); -1: no file
    QCryptographicHash::Algorithm algorithm;
    QByteArray expected; // empty: the file cannot be read
};

class FileChecksumCases : public testing::TestWithParam<HashCase> { };

// On the worker thread, in blocks: a file of a gigabyte adds little to the
// memory the process holds (1 GiB, as 4 GiB take too long under the
// sanitizers).
TEST_P(FileChecksumCases, HashesInBlocksOffThisThread)
{
    const HashCase& c = GetParam();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("file.bin"));
    if (c.sparseSize >= 0) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        ASSERT_TRUE(file.resize(std::max<qint64>(c.sparseSize, c.content.size())));
    }
    const long before = peakKib();
    FileChecksum checksum;
    std::optional<FileChecksum::Result> result;
    QEventLoop loop;
    QObject::connect(&checksum, &FileChecksum::finished, &loop, [&](const FileChecksum::Result& done) {
        result = done;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    checksum.start(path, c.algorithm);
    loop.exec();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->hex, c.expected);
    EXPECT_EQ(result->error.isEmpty(), !c.expected.isEmpty());
    EXPECT_LT(peakKib() - before, 64 * 1024);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileChecksumCases,
                         testing::Values(HashCase {"Small", "abc", 0, QCryptographicHash::Sha256,
                                                   "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
                                         HashCase {"SparseOneGiB", "", qint64 {1} << 30, QCryptographicHash::Md5,
                                                   "cd573cfaace07e7949bc0c46028904ff"},
                                         HashCase {"Missing", "", -1, QCryptographicHash::Sha1, ""}),
                         CaseName());

} // namespace
