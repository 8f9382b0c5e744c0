// Resume of downloads across pauses, stops and new starts: each segment goes
// on from its own position, the ranges asked cover exactly what is missing
// (plus the rollback), and a file that changed on the server is fetched anew.
#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "engine/ResumeFile.h"
#include "settings/KevaContext.h"

#include "support/AskedRanges.h"
#include "support/CaseName.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr qint64 kRollback = 4096;

class DownloadJobResume : public EngineTest {
protected:
    // Ends the program: every job goes, as at a quit of KEVA.
    void newProgramStart()
    {
        runner.reset();
        runner = std::make_unique<JobRunner>(*context);
    }

    static QStringList rangesToFinish(const ResumeRecord& record)
    {
        QStringList ranges;
        for (const ResumeRecord::Segment& segment : record.segments) {
            if (segment.next < segment.end)
                ranges.append(QStringLiteral("bytes=%1-%2")
                                  .arg(std::max(segment.start, segment.next - kRollback))
                                  .arg(segment.end - 1));
        }
        ranges.sort();
        return ranges;
    }

    // The resume asks for each segment's rest from its position less the
    // rollback, each byte once; the first run's requests are left out.
    static void expectResumeRanges(const NginxServer& nginx, qsizetype skip, const ResumeRecord& record)
    {
        const QStringList expected = rangesToFinish(record);
        const auto firstRun = [&](const AccessLogEntry& entry) { return FromAnEarlierRun(entry, expected); };
        ExpectRangesAskedOnce(RangesAsked(nginx, expected, skip, firstRun), expected);
    }
};

struct StopCase {
    const char* name;
    qint64 size;
    int segments;
    bool stop; // stop (else pause) before the program ends
};

class DownloadJobResumeAcrossStarts : public DownloadJobResume, public testing::WithParamInterface<StopCase> { };

TEST_P(DownloadJobResumeAcrossStarts, GoesOnWhereEachSegmentStood)
{
    const StopCase& c = GetParam();
    const QString name = files.make(c.size);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 256 * 1024);
    KEVA_REQUIRE_PEER(nginx);

    DownloadJob* job = startSlow(nginx, name, c.size / 5);
    ASSERT_EQ(job->segmentTable().connections(), c.segments);
    if (c.stop) {
        job->StopMe();
        EXPECT_TRUE(home.prompter.shown.isEmpty()) << "the download can go on later, so nothing to warn of";
    } else {
        job->Pause_Resume();
    }
    newProgramStart();
    const ResumeFile::Loaded kept = ResumeFile::load(saveTo(name));
    ASSERT_TRUE(kept.record) << kept.problem.toStdString();
    EXPECT_EQ(kept.record->segments.size(), c.segments);
    const qsizetype before = nginx.accessLog().size();

    const auto result = runner->run(nginx.url(QStringLiteral("/slow/") + name).toString(), saveTo(name),
                                    FileExistsChoice::Resume, 60000);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    expectResumeRanges(nginx, before, *kept.record);
    EXPECT_FALSE(QFile::exists(ResumeFile::pathFor(saveTo(name)))) << "no resume data once the file is whole";
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadJobResumeAcrossStarts,
                         testing::Values(StopCase {"PausedSegmented", 3 * kMiB, 2, false},
                                         StopCase {"StoppedSegmented", 6 * kMiB, 3, true},
                                         StopCase {"PausedSingle", kMiB, 1, false}),
                         CaseName());

// Resume data that cannot be used: the file is fetched again from its start,
// with a status that says why, and never spliced. Damaged data does not say
// which bytes are in place: the file is left as it is and the job fails.
struct RefusalCase {
    const char* name;
    std::function<void(const QString& resumePath, const QString& servedPath)> spoil;
    const char* why;
    bool leftAlone = false;
};

class DownloadJobResumeRefused : public DownloadJobResume, public testing::WithParamInterface<RefusalCase> { };

TEST_P(DownloadJobResumeRefused, StartsAgainFromZero)
{
    const RefusalCase& c = GetParam();
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 512 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    startSlow(nginx, name, kMiB / 2)->Pause_Resume();
    newProgramStart();
    c.spoil(ResumeFile::pathFor(saveTo(name)), files.path(name));

    const QByteArray before = home.readFile(name);
    QStringList statuses;
    DownloadJob* job = runner->start(nginx.url(QStringLiteral("/slow/") + name).toString(), saveTo(name),
                                     FileExistsChoice::Resume);
    QObject::connect(job, &DownloadJob::statusShown, [&](const QString& text, bool) { statuses.append(text); });
    const auto result = runner->wait(job, 60000);
    if (c.leftAlone) {
        ASSERT_FALSE(result.completed);
        EXPECT_TRUE(result.failure.contains(QStringLiteral(" was left as it is: ") + QString::fromLatin1(c.why)))
            << result.failure.toStdString();
        EXPECT_EQ(TestFiles::sha256(saveTo(name)), QCryptographicHash::hash(before, QCryptographicHash::Sha256).toHex())
            << "not a byte changed";
        return;
    }
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_FALSE(
        statuses.filter(QStringLiteral("Starting again from the beginning: ") + QString::fromLatin1(c.why)).isEmpty())
        << statuses.join(QStringLiteral(" | ")).toStdString();
}

void rewrite(const QString& path, const std::function<void(QByteArray&)>& change)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray content = file.readAll();
    change(content);
    file.resize(0);
    file.seek(0);
    file.write(content);
}

// Other bytes, same size: the validators (ETag and Last-Modified, both from
// the time of the change) tell. The time moves a day on from the file's own,
// so that two changes within one second still differ.
void changeOnTheServer(const QString& served)
{
    const QDateTime changed = QFileInfo(served).lastModified().addDays(1);
    rewrite(served, [](QByteArray& c) { c[0] = static_cast<char>(c[0] ^ 0x55); });
    QFile file(served);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadJobResumeRefused,
    testing::Values(RefusalCase {"Damaged",
                                 [](const QString& resume, const QString&) {
                                     rewrite(resume, [](QByteArray& c) {
                                         c.chop(9);
                                         c += "x y\n";
                                     });
                                 },
                                 "the resume data beside the file is damaged", true},
                    RefusalCase {"ForAnotherAddressWithAnotherFile",
                                 [](const QString& resume, const QString& served) {
                                     rewrite(resume, [](QByteArray& c) {
                                         c.replace("url http://", "url http://elsewhere.example/");
                                     });
                                     changeOnTheServer(served);
                                 },
                                 "the resume data beside the file belongs to http://elsewhere.example/"},
                    RefusalCase {"ChangedOnTheServer",
                                 [](const QString&, const QString& served) { changeOnTheServer(served); },
                                 "the file on the server has changed since the download began"}),
    CaseName());

// A download whose link expired goes on from a new address: from its resume
// data when the file there is the same, and its row then keeps the new
// address. When the file there is another, nothing is touched and the user
// is asked whether to download it from the beginning at the new address.
struct NewAddressCase {
    const char* name;
    bool sameFile;
    Prompter::Answer startAgain; // the answer to that question
};

class DownloadJobNewAddress : public DownloadJobResume, public testing::WithParamInterface<NewAddressCase> { };

TEST_P(DownloadJobNewAddress, GoesOnOnlyWithTheSameFile)
{
    const NewAddressCase& c = GetParam();
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 512 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    const QString oldUrl = nginx.url(QStringLiteral("/slow/") + name).toString();
    const QString newUrl = nginx.url(QStringLiteral("/") + name).toString();
    startSlow(nginx, name, kMiB / 2)->Pause_Resume();
    const QByteArray before = TestFiles::sha256(saveTo(name));
    if (!c.sameFile)
        changeOnTheServer(files.path(name));
    home.prompter.script({c.startAgain});
    const qsizetype logged = nginx.accessLog().size();

    DownloadJob* job = runner->windows.ChangeAddress(1, newUrl);
    ASSERT_NE(job, nullptr);
    const JobList::Row row = runner->jobs.row(1);
    if (c.sameFile) {
        const auto result = runner->wait(job, 60000);
        ASSERT_TRUE(result.completed) << result.failure.toStdString();
        EXPECT_TRUE(sameAsServed(name, name));
        EXPECT_EQ(row->subItem(JobColumn::Url), newUrl);
        EXPECT_TRUE(home.prompter.shown.isEmpty());
        for (const AccessLogEntry& entry : nginx.accessLog().mid(logged)) {
            if (entry.method() == QStringLiteral("GET")) {
                EXPECT_FALSE(entry.range.isEmpty()) << "only the missing ranges are fetched";
            }
        }
        return;
    }
    // The question follows the failure; a Yes replaces the failed job.
    QString failure;
    QObject::connect(job, &DownloadJob::failedWith, [&failure](const QString& text) { failure = text; });
    ASSERT_TRUE(JobRunner::waitFor([&] { return !home.prompter.shown.isEmpty(); }, 60000));
    EXPECT_TRUE(
        failure.contains(QStringLiteral(" was left as it is: the resume data beside the file belongs to ") + oldUrl))
        << failure.toStdString();
    if (c.startAgain == Prompter::Answer::No) {
        EXPECT_EQ(TestFiles::sha256(saveTo(name)), before) << "not a byte changed";
        EXPECT_EQ(ResumeFile::load(saveTo(name)).record->url, oldUrl);
        EXPECT_EQ(row->subItem(JobColumn::Url), oldUrl);
        return;
    }
    ASSERT_TRUE(JobRunner::waitFor([&] { return row->subItem(JobColumn::Percent) == QStringLiteral("100%"); }, 60000));
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_EQ(row->subItem(JobColumn::Url), newUrl);
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadJobNewAddress,
                         testing::Values(NewAddressCase {"SameFile", true, Prompter::Answer::No},
                                         NewAddressCase {"AnotherFileLeftAlone", false, Prompter::Answer::No},
                                         NewAddressCase {"AnotherFileFromTheBeginning", false, Prompter::Answer::Yes}),
                         CaseName());

// Temporary files of resume data that a killed run was writing beside the
// file it had begun are removed when the download of that file starts
// again; nothing else is touched.
TEST_F(DownloadJobResume, AStartRemovesTheTemporariesOfKilledRuns)
{
    const QString name = files.make(200000);
    QFile served(files.root() + QLatin1Char('/') + name);
    ASSERT_TRUE(served.open(QIODevice::ReadOnly));
    home.writeFile(name, served.read(1000)); // what the killed run got
    NginxServer nginx(files.root());
    KEVA_REQUIRE_PEER(nginx);
    QProcess ended;
    ended.start(QStringLiteral("true"));
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    const QString temporary = QStringLiteral("%1.keva-resume.tmp.%2.aB3xY9");
    const QString stale = temporary.arg(name).arg(endedPid);
    const QStringList kept = {temporary.arg(name).arg(::getppid()),
                              temporary.arg(QStringLiteral("other.bin")).arg(endedPid),
                              name + QStringLiteral(".keva-resume.tmp")};
    for (const QString& leftover : kept + QStringList {stale})
        home.writeFile(leftover, "KEVA resume 1\n");

    const auto result = runner->run(nginx.url(QLatin1Char('/') + name).toString(), saveTo(name),
                                    FileExistsChoice::Resume);
    ASSERT_TRUE(result.completed) << result.failure.toStdString();
    EXPECT_TRUE(sameAsServed(name, name));
    EXPECT_FALSE(QFile::exists(saveTo(stale)));
    for (const QString& leftover : kept)
        EXPECT_TRUE(QFile::exists(saveTo(leftover))) << leftover.toStdString();
}

TEST_F(DownloadJobResume, StopWarnsOnlyWhereTheResumeDataCannotBeKept)
{
    const QString name = files.make(3 * kMiB);
    NginxServer nginx(files.root());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 256 * 1024);
    KEVA_REQUIRE_PEER(nginx);
    // A folder where the resume data would go: it cannot be written.
    ASSERT_TRUE(QDir().mkpath(ResumeFile::pathFor(saveTo(name))));
    DownloadJob* job = startSlow(nginx, name, 100000);

    home.prompter.script({Prompter::Answer::No});
    job->StopMe();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text,
              QStringLiteral("you will not be able to resume this file later(Segmented mode only), Stop?"));
    EXPECT_TRUE(job->isTransferring());
}

} // namespace
