#include "core/LanguageFileCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
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

// A language key as the sources write it: five to seven digits, the first
// two naming a window or the messages (01 to 06, 08 to 13).
const QString kKeyPattern = QStringLiteral("(?:0[1-6]|0[89]|1[0-3])[0-9]{3,5}");

bool isKey(const QString& text)
{
    static const QRegularExpression key(QRegularExpression::anchoredPattern(kKeyPattern));
    return key.match(text).hasMatch();
}

// The C++ source files below `folder`, in the order of their paths.
QStringList sourceFiles(const QString& folder)
{
    QStringList files;
    QDirIterator sources(folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (sources.hasNext())
        files.append(sources.next());
    files.sort();
    return files;
}

// One string literal of a source, or several written one after the other,
// which the compiler joins: where it starts and ends, and its text with the
// escapes as written.
struct Literal {
    qsizetype start;
    qsizetype end;
    QString text;
};

// A source as far as the text check reads it: `code` is the source with its
// comments and the insides of its literals blanked (line breaks kept), so
// that a quote or a parenthesis in them is never taken for code; `literals`
// are its string literals in order. Raw string literals and digit
// separators, which these sources do not use, are not understood.
struct ScannedSource {
    QString code;
    QList<Literal> literals;
};

ScannedSource scan(const QString& text)
{
    ScannedSource scanned {text, {}};
    QString& code = scanned.code;
    const auto blank = [&code](qsizetype from, qsizetype to) {
        for (qsizetype at = from; at < to; ++at) {
            if (code[at] != QLatin1Char('\n'))
                code[at] = QLatin1Char(' ');
        }
    };
    const qsizetype size = text.size();
    qsizetype at = 0;
    while (at < size) {
        const QChar c = text[at];
        const QChar next = at + 1 < size ? text[at + 1] : QChar();
        if (c == QLatin1Char('/') && (next == QLatin1Char('/') || next == QLatin1Char('*'))) {
            const bool line = next == QLatin1Char('/');
            const qsizetype end = text.indexOf(line ? QStringLiteral("\n") : QStringLiteral("*/"), at + 2);
            const qsizetype stop = end < 0 ? size : line ? end : end + 2;
            blank(at, stop);
            at = stop;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            qsizetype end = at + 1;
            while (end < size && text[end] != c && text[end] != QLatin1Char('\n'))
                end += text[end] == QLatin1Char('\\') ? 2 : 1;
            end = std::min(end, size);
            if (c == QLatin1Char('"')) {
                const QString inside = text.mid(at + 1, end - at - 1);
                Literal* previous = scanned.literals.isEmpty() ? nullptr : &scanned.literals.last();
                if (previous && code.mid(previous->end, at - previous->end).trimmed().isEmpty()) {
                    previous->end = end + 1;
                    previous->text += inside;
                } else {
                    scanned.literals.append({at, end + 1, inside});
                }
            }
            blank(at + 1, end);
            at = end + 1;
        } else {
            ++at;
        }
    }
    return scanned;
}

// The name of the function called with the parenthesis at `open` of `code`:
// "setText" for "label->setText(", "make" for "make<QLabel>(", empty for a
// parenthesis that only groups.
QString calledName(const QString& code, qsizetype open)
{
    qsizetype at = open - 1;
    while (at >= 0 && code[at].isSpace())
        --at;
    if (at >= 0 && code[at] == QLatin1Char('>')) {
        int depth = 0;
        for (; at >= 0; --at) {
            depth += code[at] == QLatin1Char('>') ? 1 : code[at] == QLatin1Char('<') ? -1 : 0;
            if (depth == 0)
                break;
        }
        --at;
    }
    const qsizetype end = at + 1;
    while (at >= 0 && (code[at].isLetterOrNumber() || code[at] == QLatin1Char('_')))
        --at;
    return code.mid(at + 1, end - at - 1);
}

// A call that a literal is an argument of: the position of its opening
// parenthesis and the called name; -1 and empty for no call.
struct Call {
    qsizetype open = -1;
    QString name;
};

// The call whose argument the text at `from` of `code` is, looking through
// the calls that only make or fill in a text (QStringLiteral, .arg, ...).
Call receivingCall(const QString& code, qsizetype from)
{
    static const QSet<QString> passesTextOn = {
        QString(),
        QStringLiteral("QStringLiteral"),
        QStringLiteral("QLatin1String"),
        QStringLiteral("QLatin1StringView"),
        QStringLiteral("QString"),
        QStringLiteral("fromLatin1"),
        QStringLiteral("fromUtf8"),
        QStringLiteral("arg"),
    };
    int depth = 0;
    for (qsizetype at = from - 1; at >= 0; --at) {
        const QChar c = code[at];
        if (c == QLatin1Char(')')) {
            ++depth;
        } else if (c == QLatin1Char('(') && depth > 0) {
            --depth;
        } else if (c == QLatin1Char('(')) {
            const QString name = calledName(code, at);
            if (!passesTextOn.contains(name))
                return {at, name};
        } else if (depth == 0 && (c == QLatin1Char(';') || c == QLatin1Char('}'))) {
            break;
        }
    }
    return {};
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
    static const QRegularExpression literal(QStringLiteral("\"(%1)\"").arg(kKeyPattern));
    QSet<QString> keys;
    for (const QString& path : sourceFiles(sourceFolder)) {
        QFile file(path);
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

QStringList LanguageFileCheck::keylessTexts(const QString& sourceFolder)
{
    // The subsystems of KEVA, whose texts come from the language files; the
    // file-sharing programs, the browser helper and the command-line front
    // ends have none.
    static const QStringList subsystems = {
        QStringLiteral("engine"),   QStringLiteral("intake"), QStringLiteral("mainwin"), QStringLiteral("schedule"),
        QStringLiteral("settings"), QStringLiteral("site"),   QStringLiteral("uiutil")};
    // The calls whose text arguments the user reads. A failure is not among
    // them: "fail" also names the parsers' and the resume file's record of
    // a problem, which the engine passes on as it is.
    static const QSet<QString> shows = {
        QStringLiteral("tell"),
        QStringLiteral("ask"),
        QStringLiteral("setStatus"),
        QStringLiteral("setText"),
        QStringLiteral("setTitle"),
        QStringLiteral("setWindowTitle"),
        QStringLiteral("setToolTip"),
        QStringLiteral("setStatusTip"),
        QStringLiteral("setPlaceholderText"),
        QStringLiteral("setHeaderLabels"),
        QStringLiteral("setTabText"),
        QStringLiteral("addTab"),
        QStringLiteral("addMenu"),
        QStringLiteral("addAction"),
        QStringLiteral("addItem"),
        QStringLiteral("addItems"),
        QStringLiteral("showMessage"),
        QStringLiteral("setLabelText"),
        QStringLiteral("getText"),
        QStringLiteral("QLabel"),
        QStringLiteral("QPushButton"),
        QStringLiteral("QCheckBox"),
        QStringLiteral("QRadioButton"),
        QStringLiteral("QGroupBox"),
        QStringLiteral("QMenu"),
        QStringLiteral("QAction"),
        QStringLiteral("QToolButton"),
    };
    // A text with words in it; "%1", "0 %", "KEVA 3.0" and "://" have none.
    static const QRegularExpression words(QStringLiteral("[A-Za-z][a-z]"));
    const QDir root(QFileInfo(sourceFolder).absoluteFilePath());
    QStringList problems;
    for (const QString& subsystem : subsystems) {
        for (const QString& path : sourceFiles(root.filePath(subsystem))) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            const ScannedSource source = scan(text);
            // A call that is handed a key shows that key's text, with its
            // literals as the fallback: tell("11016", u"A password ...").
            QSet<qsizetype> keyed;
            for (const Literal& literal : source.literals) {
                if (isKey(literal.text))
                    keyed.insert(receivingCall(source.code, literal.start).open);
            }
            for (const Literal& literal : source.literals) {
                const Call call = receivingCall(source.code, literal.start);
                if (!words.match(literal.text).hasMatch() || !shows.contains(call.name) || keyed.contains(call.open))
                    continue;
                problems.append(QStringLiteral("%1:%2: text shown without a language key: \"%3\"")
                                    .arg(root.relativeFilePath(path))
                                    .arg(text.left(literal.start).count(QLatin1Char('\n')) + 1)
                                    .arg(literal.text));
            }
        }
    }
    return problems;
}
