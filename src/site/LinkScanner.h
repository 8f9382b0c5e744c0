#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

// Finds the links of a page as its bytes are read, holding only what a link
// not yet closed needs, however long the page and its lines are: the value
// of every `src=` and `href=` attribute, quoted with double or single quotes,
// whatever the letter case of the attribute's name, in the order they stand.
// A value whose closing quote is missing on its line, or that runs longer
// than kMaxLink bytes, is no link; the scan goes on after its opening quote.
// The page is read as UTF-8.
class LinkScanner {
public:
    static constexpr qsizetype kMaxLink = 64 * 1024;

    // Gets each link found; returning false ends the scan.
    using Found = std::function<bool(const QString& link)>;
    explicit LinkScanner(Found found);

    // Scans the next bytes of the page; false once the scan was ended.
    bool feed(QByteArrayView bytes);
    // Scans what is left at the page's end.
    bool finish();

private:
    bool scan(bool atEnd);

    Found found_;
    QByteArray pending_; // the part of the current line not yet scanned
};
