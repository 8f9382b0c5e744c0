#pragma once

#include <QLocale>
#include <QString>

// "512 Bytes", "1.50 KB", "4,768.37 MB": a byte count as the windows show it,
// with the decimal and grouping separators of `locale` (the user's by default).
// Up to 1024 bytes the count itself; up to 1048576 bytes kilobytes with two
// decimals and no grouping; above that megabytes, grouped, with two decimals.
QString FormatSize(double bytes, const QLocale& locale = QLocale());

// "HH:MM:SS" for a number of seconds, each part floored; negative values
// count as 0. Hours beyond 99 take as many digits as they need.
QString FormatDuration(double seconds);
