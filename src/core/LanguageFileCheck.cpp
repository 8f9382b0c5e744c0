#include "core/LanguageFileCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace {

const QString kEnglish = QStringLiteral("English.ini");

// One language file as read: its keys with their lines, in the file's order.
struct ParsedFile {
    QStringList keys;
    QHash<QString, int> lineOf;
};

// Reads `name` in `folder` line by line, as the text look-up reads it, and
// adds a problem for each line it would misread or never reach.
ParsedFile parse(const QString& folder, const QString& name, QStringList& problems)
{
    ParsedFile parsed;
    const auto problem = [&](int line, const QString& text) {
        problems.append(QStringLiteral("%1:%2: %3").arg(name).arg(line).arg(text));
    };
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        problem(0, QStringLiteral("can not be read"));
        return parsed;
    }
    QByteArray content = file.readAll();
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    const QList<QByteArray> lines = content.split('\n');
    bool inSection = false;
    bool sectionSeen = false;
    for (qsizetype at = 0; at < lines.size(); ++at) {
        const int number = static_cast<int>(at) + 1;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = QString(utf8(lines[at])).trimmed();
        if (utf8.hasError()) {
            problem(number, QStringLiteral("is not UTF-8 text"));
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const bool keva = line.compare(QStringLiteral("[KEVA]"), Qt::CaseInsensitive) == 0;
            if (!keva || sectionSeen)
                problem(number, QStringLiteral("section %1: only the first section, [KEVA], is read").arg(line));
            inSection = keva && !sectionSeen;
            sectionSeen = true;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            problem(number, QStringLiteral("does not parse: a line is key=text, [KEVA], a ; comment or blank"));
            continue;
        }
        if (!inSection) {
            problem(number, QStringLiteral("is outside the [KEVA] section"));
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString text = line.mid(equals + 1).trimmed();
        static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
        if (!digits.match(key).hasMatch()) {
            problem(number, QStringLiteral("key \"%1\" is not a digit key").arg(key));
            continue;
        }
        if (parsed.lineOf.contains(key)) {
            problem(number,
                    QStringLiteral("key %1 again (first on line %2): only the first is read")
                        .arg(key)
                        .arg(parsed.lineOf.value(key)));
            continue;
        }
        if (text.isEmpty())
            problem(number, QStringLiteral("key %1 has no text").arg(key));
        else if (text.size() > LanguageFileCheck::kMaxTextLength)
            problem(number,
                    QStringLiteral("key %1: the text has %2 characters; only %3 are shown")
                        .arg(key)
                        .arg(text.size())
                        .arg(LanguageFileCheck::kMaxTextLength));
        parsed.keys.append(key);
        parsed.lineOf.insert(key, number);
    }
    if (!sectionSeen)
        problem(0, QStringLiteral("has no [KEVA] section"));
    return parsed;
}

} // namespace

QStringList LanguageFileCheck::check(const QString& languageFolder, const QStringList& codeKeys)
{
    QStringList problems;
    const QDir folder(languageFolder);
    if (!folder.exists(kEnglish))
        return {QStringLiteral("%1: there is no %2 to check against").arg(languageFolder, kEnglish)};

    const ParsedFile english = parse(languageFolder, kEnglish, problems);
    const QSet<QString> englishKeys(english.keys.cbegin(), english.keys.cend());
    for (const QString& key : codeKeys) {
        if (!englishKeys.contains(key))
            problems.append(QStringLiteral("%1:0: lacks key %2, which the code asks for").arg(kEnglish, key));
    }

    const QStringList files = folder.entryList(QDir::Files, QDir::Name);
    for (const QString& name : files) {
        if (!name.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive))
            continue;
        const QString language = name.left(name.size() - 4);
        const bool hasPicture = std::any_of(files.cbegin(), files.cend(), [&](const QString& other) {
            return other.compare(language + QStringLiteral(".bmp"), Qt::CaseInsensitive) == 0;
        });
        if (!hasPicture)
            problems.append(QStringLiteral("%1:0: has no picture %2.bmp").arg(name, language));
        if (name == kEnglish)
            continue;
        const ParsedFile translated = parse(languageFolder, name, problems);
        for (const QString& key : english.keys) {
            if (!translated.lineOf.contains(key))
                problems.append(QStringLiteral("%1:0: lacks key %2 of %3").arg(name, key, kEnglish));
        }
        for (const QString& key : translated.keys) {
            if (!englishKeys.contains(key))
                problems.append(QStringLiteral("%1:%2: key %3 is not in %4")
                                    .arg(name)
                                    .arg(translated.lineOf.value(key))
                                    .arg(key, kEnglish));
        }
    }
    return problems;
}

QStringList LanguageFileCheck::keysInSources(const QString& sourceFolder)
{
    static const QRegularExpression literal(QStringLiteral("\"((?:0[1-6]|0[89]|1[0-3])[0-9]{3,5})\""));
    QSet<QString> keys;
    QDirIterator sources(sourceFolder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (sources.hasNext()) {
        QFile file(sources.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& match : literal.globalMatch(text))
            keys.insert(match.captured(1));
    }
    QStringList sorted(keys.cbegin(), keys.cend());
    sorted.sort();
    return sorted;
}
