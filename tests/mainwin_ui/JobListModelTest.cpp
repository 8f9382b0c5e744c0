#include "mainwin/ui/JobListModel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

QStringList cells(const QString& name)
{
    return {QStringLiteral("/tmp/") + name, QStringLiteral("50%"),         QStringLiteral("2 KB"),
            QStringLiteral("1 KB"),         QStringLiteral("Downloading"), QStringLiteral("http://host/") + name,
            QStringLiteral("12/7/2026")};
}

QString shown(const JobListModel& model, int row, int column)
{
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

// The tester checks every change the model reports against the rules of
// Qt's item models while the list changes underneath.
class JobListModelTest : public testing::Test {
protected:
    JobList list;
    JobListModel model {list};
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(JobListModelTest, ColumnsShowTheSubItemsInOrder)
{
    list.addRow(cells(QStringLiteral("a")));
    ASSERT_EQ(model.rowCount(), 1);
    ASSERT_EQ(model.columnCount(), 7);
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(shown(model, 0, column), cells(QStringLiteral("a")).at(column)) << column;
}

TEST_F(JobListModelTest, TitlesAndAlignmentAsDesigned)
{
    const QStringList titles = {QStringLiteral("Filename"), QStringLiteral("%"),      QStringLiteral("Size"),
                                QStringLiteral("Recieved"), QStringLiteral("Status"), QStringLiteral("URL"),
                                QStringLiteral("Date")};
    list.addRow(cells(QStringLiteral("a")));
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), titles.at(column));
        const auto alignment = model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>();
        const bool centred = column >= 1 && column <= 4;
        EXPECT_EQ(bool(alignment & Qt::AlignHCenter), centred) << column;
    }
}

TEST_F(JobListModelTest, FollowsAddsChangesRemovalsAndClearing)
{
    for (const char* name : {"a", "b", "c"})
        list.addRow(cells(QString::fromLatin1(name)));
    list.setSubItem(list.row(2), 2, QStringLiteral("75%"));
    EXPECT_EQ(shown(model, 1, 1), QStringLiteral("75%"));
    list.removeRow(1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(shown(model, 0, 5), QStringLiteral("http://host/b"));
    list.clear();
    EXPECT_EQ(model.rowCount(), 0);
    list.addRow(cells(QStringLiteral("d")));
    EXPECT_EQ(shown(model, 0, 5), QStringLiteral("http://host/d"));
}

TEST_F(JobListModelTest, ASortIsShownOnceItHasSettled)
{
    for (const char* name : {"b", "c", "a"})
        list.addRow(cells(QString::fromLatin1(name)));
    int rearranged = 0;
    QObject::connect(&model, &JobListModel::rearranged, [&rearranged] { ++rearranged; });
    list.sortBy(6, true);
    list.setSelected(list.row(1), true);
    list.setSelected(list.row(2), true);
    QCoreApplication::processEvents();
    EXPECT_EQ(rearranged, 1);
    EXPECT_EQ(shown(model, 0, 5), QStringLiteral("http://host/a"));
    EXPECT_EQ(shown(model, 2, 5), QStringLiteral("http://host/c"));
}

} // namespace
