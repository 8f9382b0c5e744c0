#pragma once

#include <QString>

// The text of Vantrel's log window: a header line, then log lines, CR LF
// between lines, at most 5000 lines. When text is added beyond that, the
// oldest lines after the header go; the header always stays.
class LogText {
public:
    static constexpr int kMaxLines = 5000;
    // "This is the log window. MaxLine=5000" and its CR LF.
    static QString header();

    LogText();

    const QString& text() const { return text_; }
    int lineCount() const { return lines_; }

    // Adds a piece as it is; returns how many old lines were removed.
    int append(const QString& piece);
    // Adds one line and its CR LF.
    int appendLine(const QString& line) { return append(line + QStringLiteral("\r\n")); }
    // Back to the header line alone.
    void clear();
    // Replaces the whole text (a saved log), kept to the cap; an empty text
    // or one without the header gets the header back.
    void setText(const QString& text);

private:
    static int countLines(const QString& text);
    int trim();

    QString text_;
    int lines_ = 0;
};
