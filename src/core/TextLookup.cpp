#include "core/TextLookup.h"

#include "platform/ProfileReader.h"

TextLookup::TextLookup(QString languageFolder, QString languageFile)
    : languageFolder_(std::move(languageFolder))
    , languageFile_(std::move(languageFile))
{
}

namespace {

QString withoutBlanks(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == QLatin1Char(' '))
        ++start;
    qsizetype end = text.size();
    while (end > start && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

} // namespace

QString TextLookup::GetText(const QString& key, const QString& fallback) const
{
    const QString text = withoutBlanks(ProfileReader::getString(
        languageFolder_ + QLatin1Char('/') + languageFile_, QStringLiteral("KEVA"), key, fallback, kMaxTextLength + 1));
    // A key written without a text would blank a caption: the fallback serves.
    return text.isEmpty() ? withoutBlanks(fallback.left(kMaxTextLength)) : text;
}
