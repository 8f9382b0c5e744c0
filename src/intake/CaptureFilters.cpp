#include "intake/CaptureFilters.h"

#include "intake/UrlCutting.h"
#include "platform/MimeTable.h"

#include <QStringList>

#include <algorithm>

namespace {

QString trimmedBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == QLatin1Char(' '))
        ++start;
    while (end > start && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

// Whether `name` matches an entry of `list`; `wildcard` marks the pattern entries.
bool listMatches(const QString& list, const QString& name, QChar wildcard)
{
    const QString lowered = name.toLower();
    for (const QString& rawEntry : list.split(QLatin1Char(';'))) {
        if (rawEntry.contains(wildcard)) {
            const QString part = trimmedBlanks(QString(rawEntry).replace(wildcard, QLatin1Char(' '))).toLower();
            if (lowered.contains(part))
                return true;
        } else {
            const QString entry = trimmedBlanks(rawEntry).toLower();
            if (!entry.isEmpty() && entry == lowered)
                return true;
        }
    }
    return false;
}

} // namespace

bool IsValidExt(const QString& ext)
{
    static const QString forbidden = QStringLiteral(":?|\"<>/\\");
    return std::none_of(ext.cbegin(), ext.cend(), [](QChar c) { return forbidden.contains(c); });
}

bool IsExtPermitted(const QString& url, const QString& monitorTypes)
{
    return IsTypePermitted(GetExtensionName(GetFileName(url)), monitorTypes);
}

bool IsTypePermitted(const QString& ext, const QString& monitorTypes)
{
    return listMatches(monitorTypes, QLatin1Char('.') + ext, QLatin1Char('?'));
}

QString CapturedExtension(const QString& url, const BrowserSession& session, const MimeTable& mimeTable)
{
    const auto usable = [](const QString& ext) { return !ext.isEmpty() && IsValidExt(ext); };
    const QString own = GetExtensionName(GetFileName(url));
    if (usable(own) || session.isEmpty())
        return own;
    if (const QString named = GetExtensionName(session.fileName); usable(named))
        return named;
    if (session.mimeType.isEmpty())
        return own;
    const QString typed = mimeTable.extensionFor(session.mimeType);
    return usable(typed) ? typed : own;
}

bool IsServerPermitted(const QString& url, const QString& monitorServer)
{
    return !listMatches(monitorServer, GetServerName(url), QLatin1Char('*'));
}
