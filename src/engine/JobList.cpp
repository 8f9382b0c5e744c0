#include "engine/JobList.h"

#include <algorithm>

JobList::JobList(QObject* parent)
    : QObject(parent)
{
}

JobList::Row JobList::row(int number) const
{
    return number >= 1 && number <= rowCount() ? rows_[number - 1] : Row();
}

int JobList::numberOf(const Row& row) const
{
    if (!row)
        return 0;
    if (!positions_) {
        positions_.emplace();
        positions_->reserve(rows_.size());
        for (qsizetype i = 0; i < rows_.size(); ++i)
            positions_->insert(rows_[i].get(), i);
    }
    const auto found = positions_->constFind(row.get());
    return found == positions_->cend() ? 0 : static_cast<int>(*found) + 1;
}

JobList::Row JobList::made(const QStringList& subItems)
{
    auto row = std::make_shared<JobRow>();
    for (qsizetype k = 0; k < subItems.size() && k < JobRow::kSubItems; ++k)
        row->subItems[static_cast<std::size_t>(k) + 1] = subItems[k];
    return row;
}

JobList::Row JobList::addRow(const QStringList& subItems)
{
    Row row = made(subItems);
    append(row);
    emit rowsAdded(rowCount(), rowCount());
    return row;
}

void JobList::addRows(const QList<QStringList>& rows)
{
    if (rows.isEmpty())
        return;
    const int first = rowCount() + 1;
    rows_.reserve(rows_.size() + rows.size());
    for (const QStringList& subItems : rows)
        append(made(subItems));
    emit rowsAdded(first, rowCount());
}

void JobList::append(const Row& row)
{
    rows_.append(row);
    if (positions_)
        positions_->insert(row.get(), rows_.size() - 1);
}

void JobList::setSubItem(const Row& row, int subItem, const QString& text)
{
    if (!row || subItem < 1 || subItem > JobRow::kSubItems)
        return;
    QString& cell = row->subItems[static_cast<std::size_t>(subItem)];
    if (cell == text)
        return;
    cell = text;
    if (const int number = numberOf(row))
        emit rowChanged(number, subItem);
}

void JobList::removeRow(int number)
{
    if (number < 1 || number > rowCount())
        return;
    rows_.removeAt(number - 1);
    positions_.reset();
    emit rowRemoved(number);
}

void JobList::clear()
{
    rows_.clear();
    positions_.reset();
    emit cleared();
}

void JobList::setSelected(const Row& row, bool selected)
{
    if (!row || row->selected == selected)
        return;
    row->selected = selected;
    emit rowsRearranged();
}

void JobList::moveRow(int from, int to)
{
    if (from == to || !row(from) || !row(to))
        return;
    rows_.move(from - 1, to - 1);
    positions_.reset();
    emit rowsRearranged();
}

void JobList::sortBy(int subItem, bool ascending)
{
    if (subItem < 1 || subItem > JobRow::kSubItems)
        return;
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) {
        const int order = a->subItem(subItem).compare(b->subItem(subItem), Qt::CaseInsensitive);
        return ascending ? order < 0 : order > 0;
    });
    positions_.reset();
    emit rowsRearranged();
}
