#include "fileshare/state/LogText.h"

QString LogText::header()
{
    return QStringLiteral("This is the log window. MaxLine=%1\r\n").arg(kMaxLines);
}

LogText::LogText()
{
    clear();
}

int LogText::countLines(const QString& text)
{
    const auto breaks = static_cast<int>(text.count(QLatin1Char('\n')));
    return breaks + ((text.isEmpty() || text.endsWith(QLatin1Char('\n'))) ? 0 : 1);
}

int LogText::append(const QString& piece)
{
    // A piece that ends an unfinished last line adds one line less than it has.
    const bool joinsLastLine = !text_.isEmpty() && !text_.endsWith(QLatin1Char('\n'));
    text_ += piece;
    lines_ += countLines(piece) - ((joinsLastLine && !piece.isEmpty()) ? 1 : 0);
    return trim();
}

void LogText::clear()
{
    text_ = header();
    lines_ = 1;
}

void LogText::setText(const QString& text)
{
    if (!text.startsWith(header().trimmed())) {
        clear();
        append(text);
        return;
    }
    text_ = text;
    lines_ = countLines(text_);
    trim();
}

int LogText::trim()
{
    int removed = 0;
    if (lines_ <= kMaxLines)
        return 0;
    const qsizetype secondLine = text_.indexOf(QLatin1Char('\n')) + 1;
    qsizetype cut = secondLine;
    while (lines_ > kMaxLines) {
        const qsizetype end = text_.indexOf(QLatin1Char('\n'), cut);
        cut = end < 0 ? text_.size() : end + 1;
        --lines_;
        ++removed;
    }
    text_.remove(secondLine, cut - secondLine);
    return removed;
}
