#pragma once

#include "fileshare/http/PublishedFolder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The published folders, top row first. A row's alias follows from its
// position alone: the bottom row (the folder added first) is "/", the row
// above it dir2, and so on up to dirN at the top.
//
// In vantrel.lst the rows are stored bottom row first: a 4-byte
// little-endian count, then per row a 4-byte length and the path's bytes.
class PublishedFolderList {
public:
    enum class AddResult { Added, NothingSelected, DriveRoot, AlreadyAdded };

    // Inserts the folder at the top.
    AddResult add(const QString& path);
    // False when `row` is not a row.
    bool remove(int row);

    int count() const { return static_cast<int>(rows_.size()); }
    QString path(int row) const { return rows_.at(row); }
    QString alias(int row) const { return aliasFor(row, count()); }
    static QString aliasFor(int row, int count);

    QByteArray serialize() const;
    // Nothing for damaged data.
    static std::optional<PublishedFolderList> parse(const QByteArray& data);
    // A missing or damaged file leaves the list empty and gives false.
    bool load(const QString& file);
    bool save(const QString& file) const;

    // The folders as the server publishes them.
    std::vector<PublishedFolder> toSite() const;

private:
    QStringList rows_;
};
