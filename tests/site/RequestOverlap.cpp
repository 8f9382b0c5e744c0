#include "RequestOverlap.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

QList<QStringList> lines(const QString& logPath)
{
    QFile file(logPath);
    QList<QStringList> fields;
    if (!file.open(QIODevice::ReadOnly))
        return fields;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('|'));
        if (parts.size() == 3)
            fields.append(parts);
    }
    return fields;
}

} // namespace

QString RequestOverlap::logFormat(const QString& name)
{
    return QStringLiteral("log_format %1 '$msec|$request_time|$request';\n").arg(name);
}

int RequestOverlap::most(const QString& logPath)
{
    // (time in ms, +1 for a start or -1 for an end); ends sort first.
    std::vector<std::pair<qint64, int>> events;
    for (const QStringList& parts : lines(logPath)) {
        const auto end = std::llround(parts[0].toDouble() * 1000);
        const auto start = end - std::llround(parts[1].toDouble() * 1000);
        events.emplace_back(start, 1);
        events.emplace_back(end, -1);
    }
    std::sort(events.begin(), events.end());
    int open = 0;
    int most = 0;
    for (const auto& [time, change] : events) {
        open += change;
        most = std::max(most, open);
    }
    return most;
}

QStringList RequestOverlap::requests(const QString& logPath)
{
    QStringList requests;
    for (const QStringList& parts : lines(logPath))
        requests.append(parts[2]);
    return requests;
}
