#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The files Vantrel and its engine exchange (vantrel.por, vantrel.per,
// vantrel.log): a 4-byte little-endian length, then that many bytes of text.
class LengthPrefixedFile {
public:
    static QByteArray encode(const QByteArray& text);
    // Nothing when the data is shorter than its length says.
    static std::optional<QByteArray> decode(const QByteArray& data);

    // Nothing for a missing, unreadable or damaged file.
    static std::optional<QByteArray> read(const QString& path);
    // Replaces the file atomically.
    static bool write(const QString& path, const QByteArray& text);

    // Little-endian 32-bit numbers, shared with the folder list file.
    static void appendNumber(QByteArray& data, quint32 number);
    static std::optional<quint32> numberAt(const QByteArray& data, qsizetype offset);
};
