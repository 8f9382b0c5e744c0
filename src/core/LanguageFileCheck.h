#pragma once

#include <QString>
#include <QStringList>

// What a translator checks before shipping a language file, and what the
// tests check of the shipped ones. Over a language folder:
//   - every file parses: UTF-8, one [KEVA] section, "key=text" lines with
//     digit keys, blank lines and "; comments"; no key twice; no text longer
//     than the 499 characters a look-up returns;
//   - every language file has every key of English.ini and no other;
//   - every language file has its picture, "<Language>.bmp";
//   - English.ini has every key the code asks for;
//   - the code shows no text without a key.
// Each problem is one line: "<file>:<line>: what is wrong".
class LanguageFileCheck {
public:
    static constexpr int kMaxTextLength = 499;

    // The problems of the folder; `codeKeys` are the keys the code asks for.
    static QStringList check(const QString& languageFolder, const QStringList& codeKeys);

    // The language keys named in the C++ sources below `sourceFolder`: the
    // string literals of five to seven digits whose first two name a window
    // or the messages (01 to 06, 08 to 13), sorted, each once.
    static QStringList keysInSources(const QString& sourceFolder);

    // The texts that KEVA's windows, messages and statuses show without a
    // language key, in the C++ sources of its subsystems below
    // `sourceFolder` (engine, intake, mainwin, schedule, settings, site,
    // uiutil): each string literal with words in it that is an argument of a
    // call that shows text (a message, a status, a caption, a menu entry, a
    // tool tip: `tell`, `setStatus`, `setText`, `addAction`, ...), directly
    // or through `.arg`. A literal handed to any
    // other call, such as the fallback of `GetText(key, fallback)` or
    // `caption(key, builtIn)`, is not shown as it stands. Each is one line,
    // "<file>:<line>: text shown without a language key: "<text>"", the file
    // named from `sourceFolder`.
    static QStringList keylessTexts(const QString& sourceFolder);
};
