#pragma once

#include <QString>

// Reads one entry of an INI file the way GetPrivateProfileString does:
//
//   [Section]
//   key=value
//
// Section and key names compare without regard to letter case and the first
// match wins. Values are trimmed of surrounding white space, and one pair of
// matching surrounding quotes is removed. A missing file, section or key gives
// the default, with its trailing blanks removed. The result holds at most
// `bufferSize` - 1 characters, as the caller's buffer would. Lines starting
// with ";" are comments. Files are UTF-8; a byte-order mark is skipped.
class ProfileReader {
public:
    static QString getString(const QString& fileName, const QString& section, const QString& key,
                             const QString& defaultValue, int bufferSize);
};
