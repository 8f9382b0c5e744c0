#pragma once

#include <QString>
#include <QStringList>

#include <span>

// One row of a window's caption table: the control, the language key its
// caption comes from, and what the shipped English file gives it.
struct CaptionCase {
    const char* name;
    const char* key;
    const char* control; // empty: the window's title
    const char* english;

    // "T<key>": the caption under WriteNumberedLanguageFile (CaptionHelpers.h).
    QString numbered() const { return QStringLiteral("T") + QString::fromLatin1(key); }

    // The keys of a whole table, for WriteNumberedLanguageFile.
    static QStringList keys(std::span<const CaptionCase> table)
    {
        QStringList keys;
        for (const CaptionCase& row : table)
            keys << QString::fromLatin1(row.key);
        return keys;
    }
};
