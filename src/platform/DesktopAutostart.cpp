#include "platform/DesktopAutostart.h"

#include "platform/AtomicFile.h"
#include "platform/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// One word of an Exec line. A word with a reserved character is put in
// double quotes, inside which '"', '`', '$' and '\' take a backslash; '%'
// is doubled, since a lone one starts a field code.
QString execWord(const QString& word)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted = word;
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool needsQuotes = word.isEmpty()
        || std::any_of(word.begin(), word.end(), [](QChar c) { return reserved.contains(c); });
    if (!needsQuotes)
        return quoted;
    QString inQuotes;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            inQuotes += QLatin1Char('\\');
        inQuotes += c;
    }
    return QLatin1Char('"') + inQuotes + QLatin1Char('"');
}

// A value of the string type: backslashes and line breaks escaped. This
// escaping comes on top of the Exec line's quoting.
QString stringValue(const QString& text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

DesktopAutostart::DesktopAutostart(QString folder)
    : folder_(std::move(folder))
{
}

QString DesktopAutostart::defaultFolder()
{
    return QDir::cleanPath(XdgFolders::configHome() + QStringLiteral("/autostart"));
}

QString DesktopAutostart::entryPath(const QString& name) const
{
    return folder_ + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

bool DesktopAutostart::write(const QString& name, const QString& program, const QStringList& arguments) const
{
    if (!QDir().mkpath(folder_))
        return false;
    return AtomicFile::write(entryPath(name), entryText(name, program, arguments));
}

bool DesktopAutostart::remove(const QString& name) const
{
    const QString path = entryPath(name);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

QByteArray DesktopAutostart::entryText(const QString& name, const QString& program, const QStringList& arguments)
{
    QStringList words {execWord(program)};
    for (const QString& argument : arguments)
        words.append(execWord(argument));
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Comment=Started with the desktop session\n"
                                        "Exec=%2\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(stringValue(name), stringValue(words.join(QLatin1Char(' '))));
    return text.toUtf8();
}
