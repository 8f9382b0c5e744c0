// kevalangcheck: checks language files before they ship.
//
//   kevalangcheck [--sources SOURCEFOLDER] LANGUAGEFOLDER
//
// Every file of LANGUAGEFOLDER must parse, hold each key of English.ini once
// and no other, and have its picture; with --sources, English.ini must also
// hold every key the C++ sources below SOURCEFOLDER ask for, and those
// sources must show no text without a key. Prints each problem as
// "<file>:<line>: what is wrong" and exits 1 when there is one, 0 when there
// is none, 2 for bad arguments.
#include "core/LanguageFileCheck.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString sources;
    if (arguments.size() == 3 && arguments[0] == QStringLiteral("--sources")) {
        sources = arguments[1];
        arguments = arguments.mid(2);
    }
    QTextStream err(stderr);
    if (arguments.size() != 1 || arguments[0].startsWith(QLatin1Char('-'))) {
        err << "usage: kevalangcheck [--sources SOURCEFOLDER] LANGUAGEFOLDER\n";
        return 2;
    }
    const QStringList codeKeys = sources.isEmpty() ? QStringList() : LanguageFileCheck::keysInSources(sources);
    if (!sources.isEmpty() && codeKeys.isEmpty()) {
        err << sources << ": no language keys found in the sources\n";
        return 2;
    }
    QStringList problems = LanguageFileCheck::check(arguments[0], codeKeys);
    if (!sources.isEmpty())
        problems += LanguageFileCheck::keylessTexts(sources);
    QTextStream out(stdout);
    for (const QString& problem : problems)
        out << problem << '\n';
    out << problems.size() << (problems.size() == 1 ? " problem" : " problems") << '\n';
    return problems.isEmpty() ? 0 : 1;
}
