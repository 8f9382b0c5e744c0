#include "mainwin/HistoryFile.h"
#include "mainwin/JobViews.h"

#include "TestToday.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray record(const QString& name, const QDate& date, const QByteArray& status = "Download Success")
{
    return "/d/" + name.toUtf8() + "\r\n100%\r\n1.00 MB\r\n1.00 MB\r\n" + status + "\r\nhttp://h/" + name.toUtf8()
        + "\r\n" + HistoryFile::dateText(date).toUtf8() + "\r\n";
}

QStringList namesIn(const JobList& list)
{
    QStringList names;
    for (int number = 1; number <= list.rowCount(); ++number)
        names.append(list.row(number)->subItem(1).section(QLatin1Char('/'), -1));
    return names;
}

TEST(JobViews, SortsTheHistoryByAge)
{
    TestHome home;
    QByteArray file;
    const std::pair<const char*, int> ages[] = {{"today", 0},    {"yesterday", 1}, {"week8", 8},  {"month9", 9},
                                                {"month38", 38}, {"old39", 39},    {"future", -3}};
    for (const auto& [name, age] : ages)
        file += record(QString::fromLatin1(name), kToday.addDays(-age));
    home.writeFile(QStringLiteral("History.ini"), file);

    JobViews views;
    views.LoadHistory(home.path(QStringLiteral("History.ini")), kToday);
    EXPECT_EQ(namesIn(views.lstMain), QStringList {QStringLiteral("today")});
    EXPECT_EQ(namesIn(views.lstYest), QStringList {QStringLiteral("yesterday")});
    EXPECT_EQ(namesIn(views.lstWeek), QStringList {QStringLiteral("week8")});
    EXPECT_EQ(namesIn(views.lstMonth), (QStringList {QStringLiteral("month9"), QStringLiteral("month38")}));
    EXPECT_EQ(namesIn(views.lstAll),
              (QStringList {QStringLiteral("yesterday"), QStringLiteral("week8"), QStringLiteral("month9"),
                            QStringLiteral("month38"), QStringLiteral("old39"), QStringLiteral("future")}));
    EXPECT_TRUE(views.damagedCopy().isEmpty());
}

TEST(JobViews, ManyRowsLoadInOrderAsOneChangePerList)
{
    TestHome home;
    QByteArray file;
    QStringList todays, history;
    for (int i = 0; i < 3000; ++i) {
        const QString name = QStringLiteral("r%1").arg(i);
        file += record(name, kToday.addDays(-(i % 3) * 20));
        (i % 3 == 0 ? todays : history).append(name);
    }
    home.writeFile(QStringLiteral("History.ini"), file);

    JobViews views;
    int allChanges = 0;
    int mainChanges = 0;
    QObject::connect(&views.lstAll, &JobList::rowsAdded, [&] { ++allChanges; });
    QObject::connect(&views.lstMain, &JobList::rowsAdded, [&] { ++mainChanges; });
    views.LoadHistory(home.path(QStringLiteral("History.ini")), kToday);
    EXPECT_EQ(namesIn(views.lstMain), todays);
    EXPECT_EQ(namesIn(views.lstAll), history);
    EXPECT_EQ(views.lstMonth.rowCount(), 1000);
    EXPECT_EQ(allChanges, 1);
    EXPECT_EQ(mainChanges, 1);
}

TEST(JobViews, RoundTripsThroughTheHistoryFile)
{
    TestHome home;
    const QString path = home.path(QStringLiteral("History.ini"));
    JobViews before;
    before.lstAll.addRow({QStringLiteral("/d/old.zip"), QStringLiteral("100%"), QStringLiteral("1 MB"),
                          QStringLiteral("1 MB"), QStringLiteral("Download Success"),
                          QStringLiteral("http://h/old.zip"), HistoryFile::dateText(kToday.addDays(-2))});
    before.lstMain.addRow({QStringLiteral("/d/new.zip"), QStringLiteral("42%"), QStringLiteral("2 MB"),
                           QStringLiteral("860 KB"), QStringLiteral("Paused/Stopped"),
                           QStringLiteral("http://h/new.zip")});
    ASSERT_TRUE(before.SaveHistory(path, kToday));

    // The same day: today's jobs come back as they were.
    JobViews sameDay;
    sameDay.LoadHistory(path, kToday);
    ASSERT_EQ(sameDay.lstMain.rowCount(), 1);
    EXPECT_EQ(sameDay.lstMain.row(1)->subItem(2), QStringLiteral("42%"));
    EXPECT_EQ(sameDay.lstMain.row(1)->subItem(5), QStringLiteral("Paused/Stopped"));
    EXPECT_EQ(namesIn(sameDay.lstAll), QStringList {QStringLiteral("old.zip")});
    EXPECT_EQ(namesIn(sameDay.lstWeek), QStringList {QStringLiteral("old.zip")});

    // Days later, a job that is not done is still today's; a done one has
    // moved into the history.
    JobViews later;
    later.LoadHistory(path, kToday.addDays(40));
    EXPECT_EQ(namesIn(later.lstMain), QStringList {QStringLiteral("new.zip")});
    EXPECT_EQ(namesIn(later.lstAll), QStringList {QStringLiteral("old.zip")});
    before.lstMain.setSubItem(before.lstMain.row(1), JobColumn::Percent, QStringLiteral("100%"));
    ASSERT_TRUE(before.SaveHistory(path, kToday));
    JobViews nextDay;
    nextDay.LoadHistory(path, kToday.addDays(1));
    EXPECT_EQ(nextDay.lstMain.rowCount(), 0);
    EXPECT_EQ(namesIn(nextDay.lstYest), QStringList {QStringLiteral("new.zip")});
    EXPECT_EQ(nextDay.lstAll.rowCount(), 2);

    JobViews empty;
    ASSERT_TRUE(empty.SaveHistory(path, kToday));
    EXPECT_FALSE(QFile::exists(path)) << "nothing to keep: the file goes";
}

TEST(JobViews, LineBreaksInTextsStayOnTheirLine)
{
    TestHome home;
    const QString path = home.path(QStringLiteral("History.ini"));
    JobViews before;
    before.lstMain.addRow({QStringLiteral("/d/a\nb.zip"), QStringLiteral("0%"), QStringLiteral("N/A"),
                           QStringLiteral("N/A"), QStringLiteral("HTTP 503\r\nService Unavailable"),
                           QStringLiteral("http://h/a")});
    before.lstMain.addRow({QStringLiteral("/d/second.zip"), QStringLiteral("0%"), QStringLiteral("N/A"),
                           QStringLiteral("N/A"), QStringLiteral("Not Downloaded"),
                           QStringLiteral("http://h/second.zip")});
    ASSERT_TRUE(before.SaveHistory(path, kToday));
    EXPECT_EQ(home.readFile(QStringLiteral("History.ini")).count("\r\n"), 14);

    JobViews after;
    after.LoadHistory(path, kToday);
    ASSERT_EQ(after.lstMain.rowCount(), 2);
    EXPECT_EQ(after.lstMain.row(1)->subItem(5), QStringLiteral("HTTP 503 Service Unavailable"));
    EXPECT_EQ(after.lstMain.row(2)->subItem(6), QStringLiteral("http://h/second.zip"));
}

struct DamageCase {
    const char* name;
    QByteArray file;
    int allRows;
    int mainRows;
};

class JobViewsDamage : public testing::TestWithParam<DamageCase> { };

TEST_P(JobViewsDamage, LoadsWhatItCanAndKeepsTheFile)
{
    TestHome home;
    const QString path = home.path(QStringLiteral("History.ini"));
    home.writeFile(QStringLiteral("History.ini"), GetParam().file);

    JobViews views;
    views.LoadHistory(path, kToday);
    EXPECT_EQ(views.lstAll.rowCount(), GetParam().allRows);
    EXPECT_EQ(views.lstMain.rowCount(), GetParam().mainRows);
    ASSERT_FALSE(views.damagedCopy().isEmpty());
    QFile copy(views.damagedCopy());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), GetParam().file) << "the damaged file is kept whole";

    ASSERT_TRUE(views.SaveHistory(path, kToday));
    EXPECT_TRUE(QFile::exists(views.damagedCopy())) << "saving does not touch the copy";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JobViewsDamage,
    testing::Values(DamageCase {"CutShort",
                                record(QStringLiteral("a"), kToday) + record(QStringLiteral("b"), kToday).left(40), 2,
                                0},
                    DamageCase {"BadDate",
                                record(QStringLiteral("a"), kToday)
                                    + "/d/b\r\n0%\r\nN/A\r\nN/A\r\nx\r\nhttp://h/b\r\nnot a date\r\n"
                                    + record(QStringLiteral("c"), kToday),
                                3, 1}),
    CaseName());

TEST(JobViews, TreeAndQueueMenu)
{
    JobViews views;
    for (const char* name : {"b", "a", "c"})
        views.lstMain.addRow({QString::fromLatin1(name), QStringLiteral("0%")});
    views.lstAll.addRow({QStringLiteral("history")});

    views.selectNode(QStringLiteral("History"));
    EXPECT_EQ(&views.GetCurList(), &views.lstAll);
    views.selectNode(QStringLiteral("Ysterday"));
    EXPECT_EQ(&views.GetCurList(), &views.lstYest);
    views.selectNode(QStringLiteral("Unknown"));
    EXPECT_EQ(&views.GetCurList(), &views.lstYest);
    views.selectNode(QStringLiteral("Downloads"));

    views.sortMain(1);
    EXPECT_EQ(namesIn(views.lstMain), (QStringList {QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}))
        << "the first click sorts descending";
    views.sortMain(1);
    EXPECT_EQ(namesIn(views.lstMain), (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));

    views.lstMain.setSelected(views.lstMain.row(1), true);
    views.lstMain.setSelected(views.lstMain.row(3), true);
    views.removeSelectionShown();
    EXPECT_EQ(namesIn(views.lstMain), QStringList {QStringLiteral("b")});
    views.selectAllShown(true);
    EXPECT_TRUE(views.lstMain.row(1)->selected);
    views.clearShown();
    EXPECT_EQ(views.lstMain.rowCount(), 0);
    EXPECT_EQ(views.lstAll.rowCount(), 1) << "only the shown list changes";
}

} // namespace
