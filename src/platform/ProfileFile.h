#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The entries of an INI file, as ProfileReader reads them:
//
//   [Section]
//   key=value
//
// Section and key names compare without regard to letter case; the first
// section of a name is the one that counts, and in it the first entry of a
// key. Values are trimmed of surrounding white space, and one pair of
// matching surrounding quotes is removed. Lines starting with ";" are
// comments, lines without "=" are ignored. The text is UTF-8; a byte-order
// mark is skipped.
class ProfileFile {
public:
    static ProfileFile parse(QByteArray content);

    std::optional<QString> value(const QString& section, const QString& key) const;

private:
    struct Section {
        QString name;
        QList<std::pair<QString, QString>> entries; // key, value
    };

    QList<Section> sections_;
};
