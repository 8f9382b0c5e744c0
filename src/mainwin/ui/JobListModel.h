#pragma once

#include "engine/JobList.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

// The rows of one JobList as a table of seven columns, column k showing
// sub-item k + 1, for a QTreeView. It keeps handles on the list's rows in the
// order the views know: the list reports a change after making it, and the
// views must learn of it before. Changes of order or selection, which come in
// bursts (a sort, "Select All"), are passed on once per burst.
class JobListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = JobRow::kSubItems;

    explicit JobListModel(JobList& list, QObject* parent = nullptr);

    JobList& list() const { return list_; }
    // The row of the list shown at a model row.
    JobList::Row rowAt(int modelRow) const { return rows_.value(modelRow); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    static bool centred(int column);

signals:
    // The rows were reordered or their selection changed (once per burst).
    void rearranged();

private:
    void scheduleRearrange();
    void rearrange();
    QList<JobList::Row> listOrder() const;

    JobList& list_;
    QList<JobList::Row> rows_;
    bool rearrangePending_ = false;
    QStringList titles_;
    QIcon rowIcon_;
};
