#include "engine/DownloadQueue.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

// Rows are letters: a capital waits in the queue, a small one does not.
struct MoveCase {
    const char* name;
    const char* rows;
    const char* selected;
    DownloadQueue::Direction direction;
    const char* expected;
};

constexpr auto Up = DownloadQueue::Direction::Up;
constexpr auto Down = DownloadQueue::Direction::Down;

class DownloadQueueMove : public testing::TestWithParam<MoveCase> { };

TEST_P(DownloadQueueMove, MovesWaitingRowsPastTheirWaitingNeighbours)
{
    const MoveCase& c = GetParam();
    JobList jobs;
    DownloadQueue queue(jobs);
    for (const char letter : std::string(c.rows))
        jobs.addRow({QString(QChar::fromLatin1(letter)), QStringLiteral("0%"), QStringLiteral("N/A"),
                     QStringLiteral("N/A"), QChar::isUpper(letter) ? JobStatus::kQueued : JobStatus::kNotDownloaded,
                     QStringLiteral("http://h/")});
    QList<JobList::Row> selected;
    for (const char letter : std::string(c.selected)) {
        for (int number = 1; number <= jobs.rowCount(); ++number) {
            if (jobs.row(number)->subItem(JobColumn::SavePath) == QChar::fromLatin1(letter))
                selected.append(jobs.row(number));
        }
    }
    queue.move(selected, c.direction);
    QString order;
    for (int number = 1; number <= jobs.rowCount(); ++number)
        order += jobs.row(number)->subItem(JobColumn::SavePath);
    EXPECT_EQ(order, QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, DownloadQueueMove,
                         testing::Values(MoveCase {"UpPastARowThatDoesNotWait", "AbC", "C", Up, "CAb"},
                                         MoveCase {"DownPastARowThatDoesNotWait", "AbC", "A", Down, "bCA"},
                                         MoveCase {"ABlockKeepsItsOrder", "ABCD", "CD", Up, "ACDB"},
                                         MoveCase {"ABlockDownKeepsItsOrder", "ABCD", "AB", Down, "CABD"},
                                         MoveCase {"TheFirstStaysFirst", "AB", "A", Up, "AB"},
                                         MoveCase {"ABlockAtTheTopStays", "ABC", "AB", Up, "ABC"},
                                         MoveCase {"ARowThatDoesNotWaitStays", "AbC", "b", Up, "AbC"}),
                         CaseName());

TEST(DownloadQueue, TakesTheFirstRowOfTheListThatStillWaits)
{
    JobList jobs;
    DownloadQueue queue(jobs);
    for (int n = 1; n <= 4; ++n)
        jobs.addRow({QString::number(n), QStringLiteral("0%"), QStringLiteral("N/A"), QStringLiteral("N/A"), QString(),
                     QStringLiteral("http://h/%1").arg(n)});
    for (const int n : {4, 3, 2, 1})
        queue.add({jobs.row(n), {}, FileExistsChoice::Overwrite});
    EXPECT_EQ(jobs.row(4)->subItem(JobColumn::Status), JobStatus::kQueued);
    jobs.removeRow(1);                                                            // removed by the user
    jobs.setSubItem(jobs.row(1), JobColumn::Status, QStringLiteral("Connected")); // started another way
    for (const char* expected : {"3", "4"}) {
        const auto entry = queue.takeFirst();
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->row->subItem(JobColumn::SavePath), QString::fromLatin1(expected));
    }
    EXPECT_FALSE(queue.takeFirst());
    EXPECT_TRUE(queue.isEmpty());
}

} // namespace
