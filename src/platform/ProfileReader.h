#pragma once

#include "platform/ParsedFileCache.h"
#include "platform/ProfileFile.h"

#include <QString>

// Reads one entry of an INI file the way GetPrivateProfileString does; the
// file's syntax is ProfileFile's. A missing file, section or key gives the
// default, with its trailing blanks removed. The result holds at most
// `bufferSize` - 1 characters, as the caller's buffer would.
//
// The file last read stays parsed while it is unchanged (see
// ParsedFileCache), so many entries read in a row read the file once, and a
// changed or replaced file is read again at the next request.
class ProfileReader {
public:
    QString getString(const QString& fileName, const QString& section, const QString& key, const QString& defaultValue,
                      int bufferSize) const;

    // How many times a file was read and parsed.
    int parseCount() const { return file_.parseCount(); }
    // While held, reads see the file as the first of them found it, without
    // looking at it again (holds nest).
    void hold() const { file_.hold(); }
    void release() const { file_.release(); }

private:
    mutable ParsedFileCache<ProfileFile> file_;
};
