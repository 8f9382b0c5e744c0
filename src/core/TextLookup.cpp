#include "core/TextLookup.h"

#include <QDir>
#include <QFileInfo>

TextLookup::TextLookup(QString languageFolder, QString languageFile)
    : languageFolder_(std::move(languageFolder))
    , languageFile_(std::move(languageFile))
{
}

namespace {

QString withoutLeadingBlanks(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == QLatin1Char(' '))
        ++start;
    return text.mid(start);
}

QString withoutBlanks(const QString& text)
{
    QString kept = withoutLeadingBlanks(text);
    while (kept.endsWith(QLatin1Char(' ')))
        kept.chop(1);
    return kept;
}

} // namespace

// A text keeps the blanks it ends with where the file keeps them (a quoted
// text, "Server is ignored: "), since the program puts a value right after it.
QString TextLookup::GetText(const QString& key, const QString& fallback) const
{
    const QString text = withoutLeadingBlanks(
        profile_.getString(languagePath(), QStringLiteral("KEVA"), key, fallback, kMaxTextLength + 1));
    // A key written without a text would blank a caption: the fallback serves.
    return text.trimmed().isEmpty() ? withoutBlanks(fallback.left(kMaxTextLength)) : text;
}

QString TextLookup::caption(const QString& key, const QString& builtIn) const
{
    return languagePackUnavailable_ ? builtIn : GetText(key, builtIn);
}

void TextLookup::setLanguageFile(const QString& languageFile)
{
    languageFile_ = languageFile;
    const std::lock_guard guard(heldMutex_);
    heldPath_.clear();
}

void TextLookup::hold() const
{
    profile_.hold();
    const std::lock_guard guard(heldMutex_);
    ++holds_;
}

void TextLookup::release() const
{
    profile_.release();
    const std::lock_guard guard(heldMutex_);
    if (--holds_ == 0)
        heldPath_.clear();
}

QString TextLookup::languagePath() const
{
    {
        const std::lock_guard guard(heldMutex_);
        if (holds_ > 0 && !heldPath_.isEmpty())
            return heldPath_;
    }
    QString path = languageFolder_ + QLatin1Char('/') + languageFile_;
    if (!QFileInfo::exists(path)) {
        const QStringList files = QDir(languageFolder_).entryList(QDir::Files, QDir::Name);
        for (const QString& file : files) {
            if (file.compare(languageFile_, Qt::CaseInsensitive) == 0) {
                path = languageFolder_ + QLatin1Char('/') + file;
                break;
            }
        }
    }
    const std::lock_guard guard(heldMutex_);
    if (holds_ > 0)
        heldPath_ = path;
    return path;
}
