#pragma once

#include <QString>

#include <optional>

// One line of a peer server's access log. Every peer writes the same layout,
// `REQUEST LINE|RANGE|USER AGENT|STATUS|BYTES`, with `-` for an absent value.
struct AccessLogEntry {
    QString request;   // "GET /file.bin HTTP/1.1"
    QString range;     // the Range header, empty when there was none
    QString userAgent; // empty when there was none
    int status = 0;    // 0 when the peer does not log it
    qint64 bytes = -1; // body bytes sent; -1 when the peer does not log it

    QString method() const { return request.section(QLatin1Char(' '), 0, 0); }
    QString target() const { return request.section(QLatin1Char(' '), 1, 1); }

    static std::optional<AccessLogEntry> parse(const QString& line);
};
