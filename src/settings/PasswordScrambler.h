#pragma once

#include <QByteArray>
#include <QString>

// The light scrambling of passwords in Settings.ini: every byte of the UTF-8
// text is raised by 10 when written and lowered by 10 when read. UTF-8 never
// uses bytes above 244, so every real text fits; any other byte wraps around
// within the byte, so nothing is ever lost.
//
// A line break in the scrambled bytes would split the record, so passwords
// that hold control characters cannot be stored (see canStore).
class PasswordScrambler {
public:
    static QByteArray scramble(const QString& password);
    static QString unscramble(const QByteArray& scrambled);
    static bool canStore(const QString& password);
};
