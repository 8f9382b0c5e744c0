#pragma once

#include <QByteArray>
#include <QString>

// The file name a server gives a download in its Content-Disposition header,
// and the rule that makes any proposed name safe to create in the folder the
// user chose.
class ContentDisposition {
public:
    // The file name a Content-Disposition value gives ("attachment" or "inline"), made safe with safeFileName; empty
    // when it names none that is usable. The encoded form filename*= wins over filename= wherever it stands; a
    // filename*= that cannot be decoded is passed over.
    static QString fileName(const QByteArray& value);
    // `name` made safe to create in the folder the user chose; empty when nothing usable is left. Only the part after
    // the last slash or backslash counts; control and text-direction characters, leading dots and surrounding blanks
    // are removed; the name is cut to the 255 bytes a file name may have, keeping a short extension.
    static QString safeFileName(const QString& name);
};
