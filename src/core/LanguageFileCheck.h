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
//   - English.ini has every key the code asks for.
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
};
