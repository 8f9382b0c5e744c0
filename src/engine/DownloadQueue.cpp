#include "engine/DownloadQueue.h"

#include <algorithm>

DownloadQueue::DownloadQueue(JobList& jobs)
    : jobs_(jobs)
{
}

bool DownloadQueue::waits(const JobList::Row& row)
{
    return row && row->subItem(JobColumn::Status) == JobStatus::kQueued;
}

void DownloadQueue::add(const Entry& entry)
{
    if (!entry.row)
        return;
    jobs_.setSubItem(entry.row, JobColumn::Status, JobStatus::kQueued);
    const auto same = std::find_if(entries_.begin(), entries_.end(),
                                   [&](const Entry& queued) { return queued.row == entry.row; });
    if (same != entries_.end())
        *same = entry;
    else
        entries_.append(entry);
}

std::optional<DownloadQueue::Entry> DownloadQueue::take(const JobList::Row& row)
{
    for (qsizetype at = 0; at < entries_.size(); ++at) {
        if (entries_[at].row == row)
            return entries_.takeAt(at);
    }
    return std::nullopt;
}

std::optional<DownloadQueue::Entry> DownloadQueue::takeFirst()
{
    qsizetype first = -1;
    int firstNumber = 0;
    for (qsizetype at = 0; at < entries_.size();) {
        const int number = jobs_.numberOf(entries_[at].row);
        // A removed row, or one whose download started another way, waits no more.
        if (number == 0 || !waits(entries_[at].row)) {
            entries_.removeAt(at);
            continue;
        }
        if (first < 0 || number < firstNumber) {
            first = at;
            firstNumber = number;
        }
        ++at;
    }
    if (first < 0)
        return std::nullopt;
    return entries_.takeAt(first);
}

bool DownloadQueue::contains(const JobList::Row& row) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.row == row; });
}

bool DownloadQueue::hasWaiting() const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& entry) { return waits(entry.row) && jobs_.numberOf(entry.row) > 0; });
}

void DownloadQueue::addListed()
{
    for (int number = 1; number <= jobs_.rowCount(); ++number) {
        const JobList::Row row = jobs_.row(number);
        if (waits(row) && !contains(row))
            entries_.append({row, RequestOptions(), std::nullopt});
    }
}

void DownloadQueue::move(const QList<JobList::Row>& rows, Direction direction)
{
    QList<int> numbers;
    for (const JobList::Row& row : rows) {
        if (waits(row) && jobs_.numberOf(row) > 0)
            numbers.append(jobs_.numberOf(row));
    }
    // Up goes from the top, down from the bottom, so that a block of rows
    // moves as one and keeps its order.
    std::sort(numbers.begin(), numbers.end());
    if (direction == Direction::Down)
        std::reverse(numbers.begin(), numbers.end());
    const int step = direction == Direction::Up ? -1 : 1;
    for (const int number : std::as_const(numbers)) {
        int target = number + step;
        while (target >= 1 && target <= jobs_.rowCount() && !waits(jobs_.row(target)))
            target += step;
        const JobList::Row neighbour = jobs_.row(target);
        if (!neighbour || rows.contains(neighbour))
            continue;
        jobs_.moveRow(number, target);
    }
}
