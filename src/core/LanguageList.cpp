#include "core/LanguageList.h"

#include <QDir>

namespace {

// The entry's name without `extension` (".ini", ".bmp") when it ends in it,
// letter case aside; empty otherwise.
QString withoutExtension(const QString& entry, QLatin1String extension)
{
    if (entry.size() <= extension.size() || !entry.endsWith(extension, Qt::CaseInsensitive))
        return {};
    return entry.left(entry.size() - extension.size());
}

} // namespace

QStringList LanguageList::folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Unsorted);
}

bool LanguageList::fail(const QString& reason)
{
    items_.clear();
    selected_ = -1;
    failure_ = reason;
    return false;
}

bool LanguageList::fill(const QString& folder, const QString& languageFile, const PictureCheck& loads)
{
    return fill(folder, folderEntries(folder), languageFile, loads);
}

bool LanguageList::fill(const QString& folder, const QStringList& entries, const QString& languageFile,
                        const PictureCheck& loads)
{
    items_.clear();
    selected_ = -1;
    failure_.clear();
    if (!QDir(folder).exists())
        return fail(QStringLiteral("there is no language folder %1").arg(folder));

    const QLatin1String bmp(".bmp");
    const QLatin1String ini(".ini");
    QStringList pictures;
    for (const QString& entry : entries) {
        if (withoutExtension(entry, bmp).isEmpty())
            continue;
        const QString path = folder + QLatin1Char('/') + entry;
        if (!loads(path))
            return fail(QStringLiteral("%1 does not load as a picture").arg(path));
        pictures.append(entry);
    }
    for (const QString& entry : entries) {
        const QString name = withoutExtension(entry, ini);
        if (name.isEmpty())
            continue;
        const auto position = items_.size();
        if (position >= pictures.size())
            return fail(QStringLiteral("%1 has no picture: there are fewer pictures than language files").arg(entry));
        // The picture of the same name; the listing's order pairs the others.
        QString picture = pictures[position];
        for (const QString& candidate : pictures) {
            if (withoutExtension(candidate, bmp).compare(name, Qt::CaseInsensitive) == 0) {
                picture = candidate;
                break;
            }
        }
        items_.append({name, folder + QLatin1Char('/') + picture});
    }
    select(languageFile);
    return true;
}

void LanguageList::select(const QString& languageFile)
{
    selected_ = -1;
    for (qsizetype at = 0; at < items_.size() && selected_ < 0; ++at) {
        if ((items_[at].name + QStringLiteral(".ini")).compare(languageFile, Qt::CaseInsensitive) == 0)
            selected_ = static_cast<int>(at);
    }
}
