#pragma once

#include "core/SiteLogin.h"
#include "settings/FileTypeFolder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// "Settings.ini": the folder last saved to, the file-type table and the
// per-site logins, one text per line (CR LF):
//
//   <last save path>
//   <file type>          two lines per file-type row
//   <folder>
//   Logins:
//   <server>             three lines per login
//   <user name>
//   <scrambled password>
//
// Reading stops at the first empty line where a record would begin; a record
// cut short by the end of the file keeps what was read.
class SettingsIniFile {
public:
    struct Content {
        std::optional<QString> lastSavePath; // none when the first line is empty
        QList<FileTypeFolder> fileTypes;
        QList<SiteLogin> logins;
    };

    static QByteArray serialize(const QString& firstLine, const QList<FileTypeFolder>& fileTypes,
                                const QList<SiteLogin>& logins);
    static Content parse(const QByteArray& text);

    // Replaces the file atomically; false when it cannot be written.
    static bool write(const QString& path, const QString& firstLine, const QList<FileTypeFolder>& fileTypes,
                      const QList<SiteLogin>& logins);
    // Nothing when the file does not exist or cannot be read.
    static std::optional<Content> read(const QString& path);
};
