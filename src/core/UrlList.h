#pragma once

#include <QString>
#include <QStringList>

// A list of URLs, one a line, as the add-URL dialog, a text dropped on the
// job lists and `kevaget -i` take it. Each line is trimmed of blanks (a CR
// of a CR LF line end too); empty lines and lines that start with "#" are
// passed over. The lines are not judged here: a line that is no URL is
// kept, so that whoever checks the URLs can say which one it refuses.
class UrlList {
public:
    static QStringList parse(const QString& text);
    // The text holds more than one line: it is a list, not a single URL.
    static bool isList(const QString& text);
};
