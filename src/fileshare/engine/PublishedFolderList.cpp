#include "fileshare/engine/PublishedFolderList.h"

#include "fileshare/engine/LengthPrefixedFile.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>

PublishedFolderList::AddResult PublishedFolderList::add(const QString& path)
{
    if (path.isEmpty())
        return AddResult::NothingSelected;
    const QString clean = QDir::cleanPath(path);
    // "/" is this system's drive root.
    if (clean == QStringLiteral("/"))
        return AddResult::DriveRoot;
    for (const QString& row : rows_) {
        if (row.compare(clean, Qt::CaseInsensitive) == 0)
            return AddResult::AlreadyAdded;
    }
    rows_.prepend(clean);
    return AddResult::Added;
}

bool PublishedFolderList::remove(int row)
{
    if (row < 0 || row >= count())
        return false;
    rows_.removeAt(row);
    return true;
}

QString PublishedFolderList::aliasFor(int row, int count)
{
    const int number = count - row;
    return number == 1 ? QStringLiteral("/") : QStringLiteral("dir%1").arg(number);
}

QByteArray PublishedFolderList::serialize() const
{
    QByteArray data;
    LengthPrefixedFile::appendNumber(data, static_cast<quint32>(count()));
    for (auto row = rows_.crbegin(); row != rows_.crend(); ++row)
        data += LengthPrefixedFile::encode(row->toUtf8());
    return data;
}

std::optional<PublishedFolderList> PublishedFolderList::parse(const QByteArray& data)
{
    const auto rowCount = LengthPrefixedFile::numberAt(data, 0);
    if (!rowCount)
        return std::nullopt;
    PublishedFolderList list;
    qsizetype offset = 4;
    for (quint32 i = 0; i < *rowCount; ++i) {
        const auto length = LengthPrefixedFile::numberAt(data, offset);
        if (!length || *length > static_cast<quint64>(data.size() - offset - 4))
            return std::nullopt;
        list.rows_.prepend(QString::fromUtf8(data.mid(offset + 4, static_cast<qsizetype>(*length))));
        offset += 4 + static_cast<qsizetype>(*length);
    }
    return list;
}

bool PublishedFolderList::load(const QString& file)
{
    QFile input(file);
    std::optional<PublishedFolderList> loaded;
    if (input.open(QIODevice::ReadOnly))
        loaded = parse(input.readAll());
    rows_ = loaded ? loaded->rows_ : QStringList();
    return loaded.has_value();
}

bool PublishedFolderList::save(const QString& file) const
{
    return AtomicFile::write(file, serialize());
}

std::vector<PublishedFolder> PublishedFolderList::toSite() const
{
    std::vector<PublishedFolder> folders;
    for (int row = 0; row < count(); ++row) {
        PublishedFolder folder;
        folder.path = QFile::encodeName(path(row)).toStdString();
        folder.alias = alias(row).toStdString();
        folders.push_back(std::move(folder));
    }
    return folders;
}
