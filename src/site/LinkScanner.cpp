#include "site/LinkScanner.h"

#include <algorithm>
#include <cstring>

namespace {

// "href=" and a quote: the longest key.
constexpr qsizetype kLongestKey = 6;

bool named(const QByteArray& bytes, qsizetype at, const char* name, qsizetype from)
{
    const auto length = static_cast<qsizetype>(std::strlen(name));
    return at - length >= from && qstrnicmp(bytes.constData() + at - length, name, static_cast<size_t>(length)) == 0;
}

struct Key {
    qsizetype start = -1; // where the attribute's name starts
    qsizetype value = -1; // the first byte after the opening quote
};

// The first key that starts at `from` or later and ends before `end`.
Key keyIn(const QByteArray& bytes, qsizetype from, qsizetype end)
{
    for (qsizetype equals = bytes.indexOf('=', from); equals >= 0 && equals + 1 < end;
         equals = bytes.indexOf('=', equals + 1)) {
        const char quote = bytes[equals + 1];
        if (quote != '"' && quote != '\'')
            continue;
        if (named(bytes, equals, "src", from))
            return {equals - 3, equals + 2};
        if (named(bytes, equals, "href", from))
            return {equals - 4, equals + 2};
    }
    return {};
}

} // namespace

LinkScanner::LinkScanner(Found found)
    : found_(std::move(found))
{
}

bool LinkScanner::feed(QByteArrayView bytes)
{
    pending_.append(bytes);
    return scan(false);
}

bool LinkScanner::finish()
{
    return scan(true);
}

bool LinkScanner::scan(bool atEnd)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype newline = pending_.indexOf('\n', from);
        const bool whole = newline >= 0 || atEnd;
        const qsizetype end = newline >= 0 ? newline : pending_.size();
        while (true) {
            const Key key = keyIn(pending_, from, end);
            if (key.start < 0) {
                // A key may still start in the last bytes read.
                from = whole ? end : std::max(from, end - (kLongestKey - 1));
                break;
            }
            const char quote = pending_[key.value - 1];
            const qsizetype close = pending_.indexOf(quote, key.value);
            if (close >= 0 && close < end && close - key.value <= kMaxLink) {
                if (!found_(QString::fromUtf8(pending_.constData() + key.value, close - key.value))) {
                    pending_.clear();
                    return false;
                }
                from = close + 1;
                continue;
            }
            if (whole || end - key.value > kMaxLink) {
                from = key.value;
                continue;
            }
            from = key.start; // its value may close in the next bytes
            break;
        }
        if (!whole || newline < 0) {
            pending_.remove(0, from);
            return true;
        }
        from = newline + 1;
    }
}
