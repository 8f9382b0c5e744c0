#pragma once

#include <QString>
#include <QStringList>

// The links written in one line of a page: the value of every `src=` and
// `href=` attribute, quoted with double or single quotes, whatever the letter
// case of the attribute's name, in the order they stand. A value whose
// closing quote is missing is no link; the scan goes on after its opening
// quote.
class LinkScanner {
public:
    static QStringList linksIn(const QString& line);
};
