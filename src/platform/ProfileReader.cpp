#include "platform/ProfileReader.h"

#include <QFile>

namespace {

QString fitBuffer(QString text, int bufferSize)
{
    const qsizetype room = bufferSize > 0 ? bufferSize - 1 : 0;
    if (text.size() > room) {
        qsizetype cut = room;
        // Never split a surrogate pair.
        if (cut > 0 && text[cut - 1].isHighSurrogate())
            --cut;
        text.truncate(cut);
    }
    return text;
}

QString withoutQuotes(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

std::optional<QString> lookUp(const QString& fileName, const QString& section, const QString& key)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray content = file.readAll();
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);

    bool inSection = false;
    for (const QByteArray& rawLine : content.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, end < 0 ? -1 : end - 1).trimmed();
            if (inSection)
                return std::nullopt; // the first matching section is the one that counts
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return withoutQuotes(line.mid(equals + 1).trimmed());
    }
    return std::nullopt;
}

} // namespace

QString ProfileReader::getString(const QString& fileName, const QString& section, const QString& key,
                                 const QString& defaultValue, int bufferSize)
{
    if (const auto value = lookUp(fileName, section, key))
        return fitBuffer(*value, bufferSize);

    QString fallback = defaultValue;
    while (fallback.endsWith(QLatin1Char(' ')))
        fallback.chop(1);
    return fitBuffer(fallback, bufferSize);
}
