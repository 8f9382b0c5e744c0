#include "platform/ProfileFile.h"

#include <algorithm>

namespace {

QString withoutQuotes(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

ProfileFile ProfileFile::parse(QByteArray content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);

    ProfileFile file;
    Section* current = nullptr;
    for (const QByteArray& rawLine : content.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.indexOf(QLatin1Char(']'));
            file.sections_.append(Section {line.mid(1, end < 0 ? -1 : end - 1).trimmed(), {}});
            current = &file.sections_.last();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (current && equals >= 0)
            current->entries.append({line.left(equals).trimmed(), withoutQuotes(line.mid(equals + 1).trimmed())});
    }
    return file;
}

std::optional<QString> ProfileFile::value(const QString& section, const QString& key) const
{
    const auto found = std::find_if(sections_.cbegin(), sections_.cend(),
                                    [&](const Section& s) { return sameName(s.name, section); });
    if (found == sections_.cend())
        return std::nullopt;
    for (const auto& [name, value] : found->entries) {
        if (sameName(name, key))
            return value;
    }
    return std::nullopt;
}
