#pragma once

#include "core/FileExistsChoice.h"
#include "engine/JobList.h"
#include "engine/RequestOptions.h"

#include <QList>

#include <optional>

// The downloads that wait for their turn: rows of the job list with the
// status "Queued". They start in the order of the list, so moving a row up
// or down the list moves it in the queue.
class DownloadQueue {
public:
    struct Entry {
        JobList::Row row;
        // What its requests carry; empty for a row queued before a restart
        // (the job then reads what was kept beside its file).
        RequestOptions options;
        // What was settled for an existing file; nothing for a row queued
        // before a restart (asked when it starts).
        std::optional<FileExistsChoice> existing;
    };
    enum class Direction { Up, Down };

    explicit DownloadQueue(JobList& jobs);

    // Queues `entry`: its row says "Queued". A row queued again keeps its
    // place and takes the new entry.
    void add(const Entry& entry);
    // Takes the entry of `row` out of the queue, when it is queued.
    std::optional<Entry> take(const JobList::Row& row);
    // Takes the entry whose row stands first in the list. Entries of rows
    // that were removed are dropped on the way.
    std::optional<Entry> takeFirst();
    bool contains(const JobList::Row& row) const;
    bool isEmpty() const { return entries_.isEmpty(); }
    // A listed row still waits in the queue.
    bool hasWaiting() const;
    // Queues the rows of the list that say "Queued" and have no entry yet:
    // those read back from the history.
    void addListed();
    // Moves each of `rows` that waits in the queue past the waiting row
    // before it (Up) or after it (Down); the rows moved keep their own order.
    void move(const QList<JobList::Row>& rows, Direction direction);

private:
    static bool waits(const JobList::Row& row);

    JobList& jobs_;
    QList<Entry> entries_;
};
