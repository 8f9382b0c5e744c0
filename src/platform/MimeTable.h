#pragma once

#include <QHash>
#include <QString>

// The system's MIME table (/etc/mime.types): lines of a type followed by
// the extensions of its files, "application/zip zip". The file is read on
// the first question, once; a missing file is an empty table.
class MimeTable {
public:
    static inline const QString kSystemTable = QStringLiteral("/etc/mime.types");

    explicit MimeTable(QString path = kSystemTable);

    // The type of files with `extension` (without its dot, any letter case),
    // as the table writes it; empty when the table names none. The first
    // line that lists the extension counts.
    QString typeOf(const QString& extension) const;
    // The first extension the table lists for `type` (any letter case);
    // empty when it lists none.
    QString extensionFor(const QString& type) const;

private:
    void read() const;

    QString path_;
    mutable bool read_ = false;
    mutable QHash<QString, QString> typeOfExtension_;
    mutable QHash<QString, QString> extensionOfType_;
};
