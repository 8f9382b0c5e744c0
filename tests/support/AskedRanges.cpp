#include "support/AskedRanges.h"

#include "support/PeerServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using Span = std::pair<qint64, qint64>; // first and last offset

std::vector<Span> spansOf(const QStringList& ranges)
{
    std::vector<Span> spans;
    for (const QString& range : ranges) {
        const QStringList bounds = range.mid(QStringLiteral("bytes=").size()).split(QLatin1Char('-'));
        spans.emplace_back(bounds.value(0).toLongLong(), bounds.value(1).toLongLong());
    }
    std::sort(spans.begin(), spans.end());
    return spans;
}

// Spans that touch or overlap joined into one.
std::vector<Span> joined(const std::vector<Span>& spans)
{
    std::vector<Span> whole;
    for (const Span& span : spans) {
        if (!whole.empty() && span.first <= whole.back().second + 1)
            whole.back().second = std::max(whole.back().second, span.second);
        else
            whole.push_back(span);
    }
    return whole;
}

} // namespace

QStringList RangesAsked(const PeerServer& server, const QStringList& expected, qsizetype skip,
                        const std::function<bool(const AccessLogEntry&)>& ignored)
{
    QStringList ranges;
    const std::vector<Span> wanted = spansOf(expected);
    server.accessLogWhen([&](const QList<AccessLogEntry>& log) {
        ranges.clear();
        for (qsizetype i = skip; i < log.size(); ++i) {
            if (log[i].method() == QStringLiteral("GET") && !(ignored && ignored(log[i])))
                ranges.append(log[i].range);
        }
        const std::vector<Span> covered = joined(spansOf(ranges));
        return std::all_of(wanted.begin(), wanted.end(), [&](const Span& span) {
            return std::any_of(covered.begin(), covered.end(), [&](const Span& whole) {
                return whole.first <= span.first && span.second <= whole.second;
            });
        });
    });
    return ranges;
}

bool FromAnEarlierRun(const AccessLogEntry& entry, const QStringList& expected)
{
    const auto spans = spansOf({entry.range});
    const auto [first, last] = spans.front();
    if (entry.bytes < last - first + 1)
        return true;
    const std::vector<Span> wanted = spansOf(expected);
    return std::none_of(wanted.begin(), wanted.end(),
                        [first = first](const Span& span) { return span.first <= first && first <= span.second; });
}

void ExpectRangesAskedOnce(const QStringList& asked, const QStringList& expected)
{
    const std::vector<Span> askedSpans = spansOf(asked);
    for (std::size_t i = 1; i < askedSpans.size(); ++i) {
        EXPECT_LT(askedSpans[i - 1].second, askedSpans[i].first)
            << asked.join(QStringLiteral(", ")).toStdString() << ": bytes asked twice";
    }
    const std::vector<Span> expectedSpans = spansOf(expected);
    EXPECT_EQ(joined(askedSpans), joined(expectedSpans)) << asked.join(QStringLiteral(", ")).toStdString();
    for (const Span& span : expectedSpans) {
        EXPECT_TRUE(
            std::any_of(askedSpans.begin(), askedSpans.end(), [&](const Span& one) { return one.first == span.first; }))
            << "no request starts at " << span.first;
    }
}
