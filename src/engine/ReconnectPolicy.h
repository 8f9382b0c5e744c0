#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

struct AppSettings;
class TextLookup;

// When a job connects again after a reply that ended before its bytes were
// all there. A try that takes the job further than it has ever been starts
// the count afresh and goes on at once; a try that does not counts against
// the `Retries` setting (no second try when `Retry` is off), and the wait
// before the next one doubles from one second up to `RetryTime` seconds.
// A server that always ends its replies short therefore ends the job instead
// of being asked again and again.
class ReconnectPolicy {
public:
    // A new transfer, `received` bytes already in place.
    void reset(qint64 received);
    // A connection ended short with `received` bytes in place: the wait in
    // milliseconds before the next try, or nothing when no try is left.
    std::optional<int> next(qint64 received, const AppSettings& settings);
    // Tries in a row that brought nothing new.
    int fruitless() const { return fruitless_; }
    // What the job shows during the wait of `waitMs` that next() gave, with
    // `received` of `size` bytes (-1: not known) in place: "Retrying in 4 s
    // (attempt 3 of 30): the server closed the connection after 500,000 of
    // 1,000,000 bytes".
    QString notice(int waitMs, qint64 received, qint64 size, const AppSettings& settings, const TextLookup& text) const;

private:
    qint64 furthest_ = 0;
    int fruitless_ = 0;
};
