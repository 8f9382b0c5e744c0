#include "core/Checksum.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

struct Known {
    Checksum::Algorithm algorithm;
    const char* name;    // as "name=HEX" and the BSD tag (letter case aside) write it
    const char* display; // as the status shows it
    QCryptographicHash::Algorithm hash;
    qsizetype digits;
};

constexpr std::array<Known, 4> kKnown {{
    {Checksum::Algorithm::Sha256, "sha256", "SHA-256", QCryptographicHash::Sha256, 64},
    {Checksum::Algorithm::Sha512, "sha512", "SHA-512", QCryptographicHash::Sha512, 128},
    {Checksum::Algorithm::Sha1, "sha1", "SHA-1", QCryptographicHash::Sha1, 40},
    {Checksum::Algorithm::Md5, "md5", "MD5", QCryptographicHash::Md5, 32},
}};

const Known* byName(QStringView name)
{
    for (const Known& known : kKnown) {
        if (name.compare(QLatin1String(known.name), Qt::CaseInsensitive) == 0)
            return &known;
    }
    return nullptr;
}

const Known& of(Checksum::Algorithm algorithm)
{
    for (const Known& known : kKnown) {
        if (known.algorithm == algorithm)
            return known;
    }
    return kKnown[0];
}

bool isHex(QStringView digits)
{
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

// `digits` as the checksum of `known`, when they are its number of hex digits.
std::optional<Checksum> withDigits(const Known& known, QStringView digits)
{
    if (digits.size() != known.digits || !isHex(digits))
        return std::nullopt;
    return Checksum {known.algorithm, digits.toLatin1().toLower()};
}

bool namesFile(QStringView listed, const QString& fileName)
{
    if (listed.startsWith(u'*'))
        listed = listed.mid(1);
    return listed == fileName || listed.mid(listed.lastIndexOf(u'/') + 1) == fileName;
}

} // namespace

std::optional<Checksum> Checksum::parse(const QString& text, QString& problem)
{
    const QString trimmed = text.trimmed();
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    const Known* known = equals > 0 ? byName(QStringView(trimmed).left(equals)) : nullptr;
    if (!known) {
        problem = QStringLiteral("%1 is no checksum: write sha256=HEX, sha512=HEX, sha1=HEX or md5=HEX").arg(trimmed);
        return std::nullopt;
    }
    auto checksum = withDigits(*known, QStringView(trimmed).mid(equals + 1));
    if (!checksum)
        problem = QStringLiteral("%1 checksums have %2 hex digits, not %3")
                      .arg(QLatin1String(known->display))
                      .arg(known->digits)
                      .arg(trimmed.mid(equals + 1));
    return checksum;
}

ChecksumInUrl Checksum::ofUrl(const QString& url)
{
    const qsizetype hash = url.indexOf(QLatin1Char('#'));
    const QString fragment = hash < 0 ? QString() : url.mid(hash + 1);
    const qsizetype equals = fragment.indexOf(QLatin1Char('='));
    if (equals <= 0 || !byName(QStringView(fragment).left(equals)))
        return {url, std::nullopt, QString()};
    ChecksumInUrl found {url.left(hash), std::nullopt, QString()};
    found.checksum = parse(fragment, found.problem);
    return found;
}

std::optional<Checksum> Checksum::inSumsFile(const QByteArray& text, const QString& fileName)
{
    static const QRegularExpression bsd(QStringLiteral("^(\\w+) ?\\((.*)\\) ?= ?([0-9A-Fa-f]+)$"));
    for (const QByteArray& bytes : text.split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
        if (const auto match = bsd.match(line); match.hasMatch()) {
            const Known* known = byName(match.capturedView(1));
            if (known && namesFile(match.capturedView(2), fileName)) {
                if (auto checksum = withDigits(*known, match.capturedView(3)))
                    return checksum;
            }
            continue;
        }
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space <= 0 || !namesFile(QStringView(line).mid(space + 1).trimmed(), fileName))
            continue;
        for (const Known& known : kKnown) {
            if (auto checksum = withDigits(known, QStringView(line).left(space)))
                return checksum;
        }
    }
    return std::nullopt;
}

QString Checksum::displayName() const
{
    return QLatin1String(of(algorithm).display);
}

QString Checksum::toString() const
{
    return QLatin1String(of(algorithm).name) + QLatin1Char('=') + QString::fromLatin1(hex);
}

QCryptographicHash::Algorithm Checksum::hashAlgorithm() const
{
    return of(algorithm).hash;
}
