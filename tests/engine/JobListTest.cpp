#include "engine/JobList.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A row's number follows every change of the list: rows appended one by one
// or together, removed, moved, sorted, and the list cleared.
struct ListChangeCase {
    const char* name;
    std::function<void(JobList&)> change;
};

class JobListNumbers : public testing::TestWithParam<ListChangeCase> { };

TEST_P(JobListNumbers, FollowEveryChange)
{
    JobList jobs;
    QList<JobList::Row> handles;
    for (const char* name : {"d", "b", "a", "c"})
        handles.append(jobs.addRow({QString::fromLatin1(name)}));
    for (const JobList::Row& handle : handles)
        jobs.numberOf(handle); // looked at before the change
    GetParam().change(jobs);
    handles.append(jobs.addRow({QStringLiteral("e")}));
    for (const JobList::Row& handle : handles) {
        int expected = 0;
        for (int number = 1; number <= jobs.rowCount(); ++number)
            expected = jobs.row(number) == handle ? number : expected;
        EXPECT_EQ(jobs.numberOf(handle), expected) << handle->subItem(1).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, JobListNumbers,
                         testing::Values(ListChangeCase {"Nothing", [](JobList&) {}},
                                         ListChangeCase {
                                             "RowsAppended",
                                             [](JobList& jobs) {
                                                 jobs.addRows({{QStringLiteral("x")}, {QStringLiteral("y")}});
                                             }},
                                         ListChangeCase {"RowRemoved", [](JobList& jobs) { jobs.removeRow(2); }},
                                         ListChangeCase {"RowMoved", [](JobList& jobs) { jobs.moveRow(1, 3); }},
                                         ListChangeCase {"Sorted", [](JobList& jobs) { jobs.sortBy(1, true); }},
                                         ListChangeCase {"Cleared", [](JobList& jobs) { jobs.clear(); }}),
                         CaseName());

} // namespace
