#include "RequestOverlap.h"

#include <QFile>

#include <algorithm>
#include <cmath>
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

int RequestOverlap::most(const QString& logPath, qint64 slackMs)
{
    struct Span {
        qint64 start;
        qint64 end;
    };
    std::vector<Span> spans;
    for (const QStringList& parts : lines(logPath)) {
        const auto end = std::llround(parts[0].toDouble() * 1000);
        spans.push_back({end - std::llround(parts[1].toDouble() * 1000), end});
    }
    // The most are served at once when one of them begins: count, at each
    // beginning, the requests that began and have not ended yet.
    int most = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        int open = 0;
        for (std::size_t j = 0; j < spans.size(); ++j) {
            if (i == j || (spans[j].start <= spans[i].start && spans[j].end - slackMs > spans[i].start))
                ++open;
        }
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
