#pragma once

#include <QTime>

// A time of day less another, field by field: milliseconds borrow from the
// seconds, seconds from the minutes, minutes from the hours, and the hours
// borrow from nothing. Minutes, seconds and milliseconds are never negative;
// the hours are negative when `to` lies before `from` on the same day.
struct TimeDifference {
    int H = 0;
    int M = 0;
    int S = 0;
    int MS = 0;

    // `to` given as its fields, since the hour may lie outside a QTime's range.
    static TimeDifference between(int toHour, int toMinute, int toSecond, int toMs, const QTime& from);

    bool operator==(const TimeDifference&) const = default;
};
