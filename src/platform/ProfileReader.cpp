#include "platform/ProfileReader.h"

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

} // namespace

QString ProfileReader::getString(const QString& fileName, const QString& section, const QString& key,
                                 const QString& defaultValue, int bufferSize) const
{
    const auto parsed = file_.snapshot(fileName, [](const std::optional<QByteArray>& content) {
        return content ? ProfileFile::parse(*content) : ProfileFile();
    });
    if (const auto value = parsed->value(section, key))
        return fitBuffer(*value, bufferSize);

    QString fallback = defaultValue;
    while (fallback.endsWith(QLatin1Char(' ')))
        fallback.chop(1);
    return fitBuffer(fallback, bufferSize);
}
