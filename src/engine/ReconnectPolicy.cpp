#include "engine/ReconnectPolicy.h"

#include "core/TextLookup.h"

#include "settings/AppSettings.h"

#include <QLocale>

#include <algorithm>

void ReconnectPolicy::reset(qint64 received)
{
    furthest_ = received;
    fruitless_ = 0;
}

std::optional<int> ReconnectPolicy::next(qint64 received, const AppSettings& settings)
{
    if (received > furthest_) {
        furthest_ = received;
        fruitless_ = 0;
        return 0;
    }
    ++fruitless_;
    if (!settings.Retry || fruitless_ > settings.Retries)
        return std::nullopt;
    const qint64 ceiling = std::max<qint64>(1, settings.RetryTime) * 1000;
    const qint64 wait = qint64 {1000} << std::min(fruitless_ - 1, 20);
    return static_cast<int>(std::min(wait, ceiling));
}

QString ReconnectPolicy::notice(int waitMs, qint64 received, qint64 size, const AppSettings& settings,
                                const TextLookup& text) const
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QString sentence = size >= 0
        ? text.GetText(QStringLiteral("11082"),
                       QStringLiteral("Retrying in %1 s (attempt %2 of %3): the server closed the connection "
                                      "after %4 of %5 bytes"))
        : text.GetText(QStringLiteral("11083"),
                       QStringLiteral("Retrying in %1 s (attempt %2 of %3): the server closed the connection "
                                      "after %4 bytes"));
    const QString notice =
        sentence.arg(waitMs / 1000).arg(fruitless_).arg(settings.Retries).arg(english.toString(received));
    return size >= 0 ? notice.arg(english.toString(size)) : notice;
}
