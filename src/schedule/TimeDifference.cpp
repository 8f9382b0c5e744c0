#include "schedule/TimeDifference.h"

namespace {

// One field less another and the borrow of the field below; returns the
// borrow for the field above.
int subtract(int& field, int other, int borrow, int base)
{
    field -= other + borrow;
    if (field >= 0)
        return 0;
    field += base;
    return 1;
}

} // namespace

TimeDifference TimeDifference::between(int toHour, int toMinute, int toSecond, int toMs, const QTime& from)
{
    TimeDifference d {toHour, toMinute, toSecond, toMs};
    int borrow = subtract(d.MS, from.msec(), 0, 1000);
    borrow = subtract(d.S, from.second(), borrow, 60);
    borrow = subtract(d.M, from.minute(), borrow, 60);
    d.H -= from.hour() + borrow;
    return d;
}
