#include "core/Formatting.h"

#include <cmath>

namespace {

QString twoDigits(long long value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString FormatSize(double bytes, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    if (bytes > 1048576.0)
        return locale.toString(bytes / 1048576.0, 'f', 2) + QStringLiteral(" MB");
    if (bytes >= 1024.0)
        return plain.toString(bytes / 1024.0, 'f', 2) + QStringLiteral(" KB");
    return plain.toString(bytes, 'g', QLocale::FloatingPointShortest) + QStringLiteral(" Bytes");
}

QString FormatDuration(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 60.0) {
        const double whole = std::isfinite(seconds) && seconds > 0.0 ? std::floor(seconds) : 0.0;
        return QStringLiteral("00:00:") + twoDigits(static_cast<long long>(whole));
    }
    // Past a few thousand years the hour count would overflow; nobody waits that long.
    const double capped = std::min(seconds, 1e15);
    const double totalMinutes = std::floor(capped / 60.0);
    const double secs = std::floor(capped - totalMinutes * 60.0);
    const double hours = std::floor(totalMinutes / 60.0);
    const double minutes = totalMinutes - hours * 60.0;
    return twoDigits(static_cast<long long>(hours)) + QLatin1Char(':') + twoDigits(static_cast<long long>(minutes))
        + QLatin1Char(':') + twoDigits(static_cast<long long>(secs));
}
