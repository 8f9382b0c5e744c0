#pragma once

#include "engine/JobRow.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// "History.ini": the download history, seven lines per row (save path,
// progress, size, received, status, URL, date), CR LF line ends, no header.
// Dates are written month first, "12/7/2026".
class HistoryFile {
public:
    struct Content {
        QList<JobRow> rows;
        // The file ended inside a record (the last row may lack sub-items).
        bool cutShort = false;
    };

    // Nothing when the file does not exist or cannot be read.
    static std::optional<Content> read(const QString& path);
    // The rows of `all` as they stand, then those of `today` dated `date`.
    // Every text goes on one line. Replaces the file atomically.
    static bool write(const QString& path, const QList<JobRow>& all, const QList<JobRow>& today, const QDate& date);

    static QString dateText(const QDate& date);
    static QDate parseDate(const QString& text);
};
