#include "core/ContentDisposition.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

constexpr qsizetype kMaxNameBytes = 255;
constexpr qsizetype kMaxKeptExtensionBytes = 16;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// One name=value parameter of the header, its name in lower case and its value
// with the quotes and backslash escapes of a quoted string undone.
struct Parameter {
    QByteArray name;
    QByteArray value;
};

// The parameters after the disposition type, in the order they stand. A
// semicolon inside a quoted value belongs to the value; a quoted value without
// its closing quote runs to the end.
QList<Parameter> parameters(const QByteArray& value)
{
    QList<Parameter> found;
    qsizetype at = value.indexOf(';');
    while (at >= 0 && at < value.size()) {
        ++at; // past the semicolon
        const qsizetype equals = value.indexOf('=', at);
        const qsizetype nextSemicolon = value.indexOf(';', at);
        if (equals < 0 || (nextSemicolon >= 0 && nextSemicolon < equals)) {
            at = nextSemicolon; // a parameter without a value
            continue;
        }
        Parameter parameter {value.mid(at, equals - at).trimmed().toLower(), {}};
        at = equals + 1;
        while (at < value.size() && isBlank(value[at]))
            ++at;
        if (at < value.size() && value[at] == '"') {
            for (++at; at < value.size() && value[at] != '"'; ++at) {
                if (value[at] == '\\' && at + 1 < value.size())
                    ++at;
                parameter.value += value[at];
            }
            at = value.indexOf(';', at);
        } else {
            const qsizetype end = value.indexOf(';', at);
            parameter.value = value.mid(at, end < 0 ? -1 : end - at).trimmed();
            at = end;
        }
        found.append(parameter);
    }
    return found;
}

// Bytes read as UTF-8 when they are valid UTF-8; nothing when they are not.
std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The name of a filename*= value, charset'language'percent-encoded bytes;
// nothing when the charset is neither UTF-8 nor ISO-8859-1, a percent escape is
// broken or the bytes do not fit the charset.
std::optional<QString> decodeExtendedValue(const QByteArray& value)
{
    const qsizetype firstQuote = value.indexOf('\'');
    const qsizetype secondQuote = firstQuote < 0 ? -1 : value.indexOf('\'', firstQuote + 1);
    if (secondQuote < 0)
        return std::nullopt;
    const QByteArray charset = value.left(firstQuote).toLower();
    const QByteArray encoded = value.mid(secondQuote + 1);
    QByteArray bytes;
    for (qsizetype at = 0; at < encoded.size(); ++at) {
        if (encoded[at] != '%') {
            bytes += encoded[at];
            continue;
        }
        if (at + 2 >= encoded.size() || !isHexDigit(encoded[at + 1]) || !isHexDigit(encoded[at + 2]))
            return std::nullopt;
        bytes += static_cast<char>(encoded.mid(at + 1, 2).toInt(nullptr, 16));
        at += 2;
    }
    if (charset == "utf-8")
        return strictUtf8(bytes);
    if (charset == "iso-8859-1")
        return QString::fromLatin1(bytes);
    return std::nullopt;
}

bool isUnsafeCharacter(char16_t c)
{
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool direction = c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
    return control || direction;
}

// The first `limit` bytes of UTF-8 `bytes`, shortened further so that no
// character is cut in two.
QByteArray cutUtf8(const QByteArray& bytes, qsizetype limit)
{
    if (bytes.size() <= limit)
        return bytes;
    qsizetype end = limit;
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

} // namespace

QString ContentDisposition::fileName(const QByteArray& value)
{
    std::optional<QString> plain;
    std::optional<QString> extended;
    for (const Parameter& parameter : parameters(value)) {
        if (parameter.name == "filename*" && !extended)
            extended = decodeExtendedValue(parameter.value);
        else if (parameter.name == "filename" && !plain)
            plain = strictUtf8(parameter.value).value_or(QString::fromLatin1(parameter.value));
    }
    if (extended) {
        const QString name = safeFileName(*extended);
        if (!name.isEmpty())
            return name;
    }
    return plain ? safeFileName(*plain) : QString();
}

QString ContentDisposition::safeFileName(const QString& name)
{
    QString safe = name.mid(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    safe.removeIf([](QChar c) { return isUnsafeCharacter(c.unicode()); });
    qsizetype start = 0;
    while (start < safe.size() && (safe[start] == QLatin1Char('.') || safe[start].isSpace()))
        ++start;
    safe = safe.mid(start).trimmed();

    const QByteArray bytes = safe.toUtf8();
    if (bytes.size() <= kMaxNameBytes)
        return safe;
    const qsizetype dot = bytes.lastIndexOf('.');
    const bool keepExtension = dot > 0 && bytes.size() - dot - 1 <= kMaxKeptExtensionBytes;
    const QByteArray extension = keepExtension ? bytes.mid(dot) : QByteArray();
    const QByteArray stem = bytes.left(bytes.size() - extension.size());
    return QString::fromUtf8(cutUtf8(stem, kMaxNameBytes - extension.size()) + extension);
}
