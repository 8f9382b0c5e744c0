#pragma once

#include <QString>
#include <QStringList>

// Reads an nginx access log written with the format `$msec|$request_time|$request`
// and tells how many requests were served at the same time at most: each
// request lasts from its first byte read (`$msec - $request_time`) to its
// log line (`$msec`); one that ends in the millisecond another begins does
// not overlap it, since the client starts the next only after the last ended.
class RequestOverlap {
public:
    // The nginx directive for the format.
    static QString logFormat(const QString& name);

    // A request whose last `slackMs` overlap the next one's first do not
    // count as served together: with limit_rate, nginx logs a request only
    // after the delay that follows its last bytes, which the client may
    // already have read and followed with its next request.
    static int most(const QString& logPath, qint64 slackMs = 0);
    // The request lines, in the order they ended.
    static QStringList requests(const QString& logPath);
};
