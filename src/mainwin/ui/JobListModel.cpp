#include "mainwin/ui/JobListModel.h"

#include "mainwin/ui/ProgramIcons.h"

JobListModel::JobListModel(JobList& list, QObject* parent)
    : QAbstractTableModel(parent)
    , list_(list)
    , rows_(listOrder())
    , titles_({QStringLiteral("Filename"), QStringLiteral("%"), QStringLiteral("Size"), QStringLiteral("Recieved"),
               QStringLiteral("Status"), QStringLiteral("URL"), QStringLiteral("Date")})
    , rowIcon_(ProgramIcons::named(QStringLiteral("row")))
{
    connect(&list_, &JobList::rowsAdded, this, [this](int first, int last) {
        beginInsertRows(QModelIndex(), first - 1, last - 1);
        rows_.reserve(last);
        for (int number = first; number <= last; ++number)
            rows_.insert(number - 1, list_.row(number));
        endInsertRows();
    });
    connect(&list_, &JobList::rowRemoved, this, [this](int number) {
        if (rearrangePending_) {
            // Rows moved and one went before the views learnt of the move.
            beginResetModel();
            rearrangePending_ = false;
            rows_ = listOrder();
            endResetModel();
            emit rearranged();
            return;
        }
        beginRemoveRows(QModelIndex(), number - 1, number - 1);
        rows_.removeAt(number - 1);
        endRemoveRows();
    });
    connect(&list_, &JobList::cleared, this, [this] {
        beginResetModel();
        rows_.clear();
        endResetModel();
    });
    connect(&list_, &JobList::rowChanged, this, [this](int number, int subItem) {
        const JobList::Row row = list_.row(number);
        const int at = rows_.value(number - 1) == row ? number - 1 : static_cast<int>(rows_.indexOf(row));
        const QModelIndex cell = index(at, subItem - 1);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    });
    connect(&list_, &JobList::rowsRearranged, this, &JobListModel::scheduleRearrange);
}

int JobListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int JobListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

bool JobListModel::centred(int column)
{
    // "%", "Size", "Recieved" and "Status".
    return column >= 1 && column <= 4;
}

QVariant JobListModel::data(const QModelIndex& index, int role) const
{
    const JobList::Row row = index.isValid() ? rowAt(index.row()) : JobList::Row();
    if (!row)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return row->subItem(index.column() + 1);
    case Qt::DecorationRole: return index.column() == 0 ? QVariant(rowIcon_) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::Alignment(centred(index.column()) ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter));
    default: return {};
    }
}

QVariant JobListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    if (role == Qt::DisplayRole)
        return titles_.at(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment(centred(section) ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

bool JobListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::EditRole || section < 0 || section >= kColumns)
        return false;
    titles_[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void JobListModel::scheduleRearrange()
{
    if (rearrangePending_)
        return;
    rearrangePending_ = true;
    QMetaObject::invokeMethod(this, &JobListModel::rearrange, Qt::QueuedConnection);
}

QList<JobList::Row> JobListModel::listOrder() const
{
    QList<JobList::Row> rows;
    rows.reserve(list_.rowCount());
    for (int number = 1; number <= list_.rowCount(); ++number)
        rows.append(list_.row(number));
    return rows;
}

void JobListModel::rearrange()
{
    if (!rearrangePending_)
        return;
    rearrangePending_ = false;
    QList<JobList::Row> order = listOrder();
    if (order != rows_) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        QHash<const JobRow*, int> placeOf;
        placeOf.reserve(order.size());
        for (int place = 0; place < order.size(); ++place)
            placeOf.insert(order[place].get(), place);
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& index : before)
            after.append(this->index(placeOf.value(rows_.value(index.row()).get(), -1), index.column()));
        changePersistentIndexList(before, after);
        rows_ = std::move(order);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    emit rearranged();
}
