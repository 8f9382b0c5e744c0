#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// The value of a Content-Range header, "bytes a-b/total": the first and last
// offsets and the total (each -1 when "*").
struct ContentRange {
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1;

    bool coversWhole() const { return first == 0 && total >= 0 && last == total - 1; }

    static std::optional<ContentRange> parse(const QByteArray& value);
};
