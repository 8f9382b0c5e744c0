#include "mainwin/JobViews.h"

#include "mainwin/HistoryFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList cellsOf(const JobRow& row)
{
    QStringList cells;
    for (int k = 1; k <= JobRow::kSubItems; ++k)
        cells.append(row.subItem(k));
    return cells;
}

QList<JobRow> rowsOf(const JobList& list)
{
    QList<JobRow> rows;
    for (int number = 1; number <= list.rowCount(); ++number)
        rows.append(*list.row(number));
    return rows;
}

} // namespace

JobViews::JobViews(QObject* parent)
    : QObject(parent)
{
}

JobList& JobViews::list(View view)
{
    switch (view) {
    case View::Downloads: return lstMain;
    case View::All: return lstAll;
    case View::Yesterday: return lstYest;
    case View::PastWeek: return lstWeek;
    case View::PastMonth: return lstMonth;
    }
    return lstMain;
}

void JobViews::selectNode(const QString& key)
{
    static const QHash<QString, View> views = {
        {QStringLiteral("Downloads"), View::Downloads},
        {QStringLiteral("History"), View::All},
        {QStringLiteral("All"), View::All},
        {QStringLiteral("Ysterday"), View::Yesterday},
        {QStringLiteral("PastWeek"), View::PastWeek},
        {QStringLiteral("PastMonth"), View::PastMonth},
    };
    const auto found = views.constFind(key);
    if (found == views.constEnd())
        return;
    shown_ = *found;
    shownNode_ = key;
    emit shownChanged(shown_);
}

void JobViews::LoadHistory(const QString& path, const QDate& today)
{
    damagedCopy_.clear();
    const auto content = HistoryFile::read(path);
    if (!content)
        return;
    QList<QStringList> all;
    all.reserve(content->rows.size());
    for (const JobRow& row : content->rows)
        all.append(cellsOf(row));

    // Each list is filled in one go, so that its views hear of one change.
    QList<QStringList> todays, yesterdays, pastWeek, pastMonth, history;
    history.reserve(all.size());
    bool damaged = content->cutShort;
    if (!damaged) {
        // Sort the rows into the views by age; a date that does not read
        // stops the pass. A row that is not done stays in today's list,
        // whatever its date, where Resume All and the schedule find it.
        for (const QStringList& cells : std::as_const(all)) {
            const QDate date = HistoryFile::parseDate(cells[JobColumn::Date - 1]);
            if (!date.isValid()) {
                damaged = true;
                break;
            }
            const bool current = date == today || cells[JobColumn::Percent - 1] != QStringLiteral("100%");
            const qint64 age = date.daysTo(today);
            QList<QStringList>* target = current ? &todays
                : age == 1                       ? &yesterdays
                : age >= 2 && age <= 8           ? &pastWeek
                : age >= 9 && age <= 38          ? &pastMonth
                                                 : nullptr;
            if (target)
                target->append(cells);
            if (!current)
                history.append(cells);
        }
    }
    // A damaged file keeps every row it has in the history.
    lstAll.addRows(damaged ? all : history);
    lstMain.addRows(todays);
    lstYest.addRows(yesterdays);
    lstWeek.addRows(pastWeek);
    lstMonth.addRows(pastMonth);
    if (damaged) {
        // Keep the file as it was: the next save writes only what was read.
        const QString copy = path + QStringLiteral(".damaged-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (QFile::copy(path, copy))
            damagedCopy_ = copy;
    }
}

bool JobViews::SaveHistory(const QString& path, const QDate& today) const
{
    if (lstMain.rowCount() == 0 && lstAll.rowCount() == 0) {
        if (QFileInfo::exists(path))
            return QFile::remove(path);
        return true;
    }
    return HistoryFile::write(path, rowsOf(lstAll), rowsOf(lstMain), today);
}

void JobViews::markInterrupted(const QStringList& runningTexts, const QString& stopped)
{
    for (int number = 1; number <= lstMain.rowCount(); ++number) {
        const JobList::Row row = lstMain.row(number);
        if (runningTexts.contains(row->subItem(JobColumn::Status)))
            lstMain.setSubItem(row, JobColumn::Status, stopped);
    }
}

void JobViews::clearShown()
{
    GetCurList().clear();
}

void JobViews::selectAllShown(bool selected)
{
    JobList& shown = GetCurList();
    for (int number = 1; number <= shown.rowCount(); ++number)
        shown.setSelected(shown.row(number), selected);
}

void JobViews::removeSelectionShown()
{
    JobList& shown = GetCurList();
    for (int number = shown.rowCount(); number >= 1; --number) {
        if (shown.row(number)->selected)
            shown.removeRow(number);
    }
}

void JobViews::sortMain(int subItem)
{
    mainAscending_ = !mainAscending_;
    lstMain.sortBy(subItem, mainAscending_);
}
