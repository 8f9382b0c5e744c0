#pragma once

#include "engine/JobRow.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <memory>
#include <optional>

// The rows of the job list. A job keeps a handle on its own row, so it goes
// on writing into the right row when rows above it are removed.
class JobList : public QObject {
    Q_OBJECT
public:
    using Row = std::shared_ptr<JobRow>;

    explicit JobList(QObject* parent = nullptr);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Rows are numbered from 1, as in the list.
    Row row(int number) const;
    // The number of a row, or 0 when it has been removed.
    int numberOf(const Row& row) const;

    // Appends a row with sub-items 1 to 6 (and 7 when given).
    Row addRow(const QStringList& subItems);
    // Appends a row for each list of sub-items, told as one change.
    void addRows(const QList<QStringList>& rows);
    void setSubItem(const Row& row, int subItem, const QString& text);
    void removeRow(int number);
    void clear();
    void setSelected(const Row& row, bool selected);
    // Moves row `from` to the place of row `to`; the rows between close up.
    void moveRow(int from, int to);
    // Sorts by one sub-item, as text.
    void sortBy(int subItem, bool ascending);

signals:
    // Rows `first` to `last` were appended.
    void rowsAdded(int first, int last);
    void rowChanged(int number, int subItem);
    void rowRemoved(int number);
    void cleared();
    // Rows were reordered or their selection changed.
    void rowsRearranged();

private:
    static Row made(const QStringList& subItems);
    // Appends `row`, and its place to the index while there is one.
    void append(const Row& row);

    QList<Row> rows_;
    // Where each row stands, kept as rows are appended and made again at the
    // first look after any other change: a row's number is asked at every
    // change of its cells.
    mutable std::optional<QHash<const JobRow*, qsizetype>> positions_;
};
