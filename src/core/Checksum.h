#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include <optional>

struct ChecksumInUrl;

// The digest a download is checked against once its last byte is in: an
// algorithm and the hex digits its publisher gives, as the user writes it
// ("sha256=HEX", also sha512, sha1 and md5; the name in any letter case, the
// digits in either), as a URL's fragment carries it ("#sha256=HEX"), or as a
// line of a site's SUMS file names it for a file.
class Checksum {
public:
    enum class Algorithm { Sha256, Sha512, Sha1, Md5 };

    Algorithm algorithm = Algorithm::Sha256;
    QByteArray hex; // lower case

    // "ALGO=HEX"; nothing, with the reason in `problem`, for an unknown
    // algorithm or digits that are not hex of the algorithm's length.
    static std::optional<Checksum> parse(const QString& text, QString& problem);
    // The checksum in the fragment of `url`, and `url` without that
    // fragment; no checksum (and `url` unchanged) when the fragment names
    // none. A fragment that names an algorithm with bad digits is a problem.
    static ChecksumInUrl ofUrl(const QString& url);
    // The line for `fileName` in the text of a SUMS file: "HEX  name" or
    // "HEX *name" as sha256sum, sha512sum, sha1sum and md5sum write them (the
    // algorithm follows from the number of digits), or "SHA256 (name) = HEX"
    // as BSD tools write them. A name with a folder matches by its last part.
    static std::optional<Checksum> inSumsFile(const QByteArray& text, const QString& fileName);

    // "SHA-256", "SHA-512", "SHA-1", "MD5".
    QString displayName() const;
    // "sha256=HEX", as parse() reads it.
    QString toString() const;
    QCryptographicHash::Algorithm hashAlgorithm() const;
    bool operator==(const Checksum&) const = default;
};

// A URL read by Checksum::ofUrl.
struct ChecksumInUrl {
    QString url; // without a checksum fragment
    std::optional<Checksum> checksum;
    QString problem; // why the fragment's checksum cannot be used
};
