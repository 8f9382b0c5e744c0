#include "engine/HttpAuthenticator.h"

#include <QCryptographicHash>
#include <QMap>
#include <QRandomGenerator>

#include <array>

namespace {

// A challenge as the server wrote it: the scheme in lower case and its
// parameters, names in lower case, values unquoted (the first of each name).
struct WrittenChallenge {
    QByteArray scheme;
    QMap<QByteArray, QByteArray> parameters;
};

bool isTokenCharacter(char c)
{
    static const QByteArray symbols = "!#$%&'*+-.^_`|~";
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || symbols.contains(c);
}

qsizetype tokenEnd(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && isTokenCharacter(text[at]))
        ++at;
    return at;
}

qsizetype skipBlanks(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    return at;
}

// The elements of a comma-separated header value; a comma inside a quoted
// string belongs to its element. Empty elements are dropped.
QList<QByteArray> listElements(const QByteArray& value)
{
    QList<QByteArray> elements;
    QByteArray element;
    bool quoted = false;
    for (qsizetype at = 0; at < value.size(); ++at) {
        const char c = value[at];
        if (!quoted && c == ',') {
            elements.append(element.trimmed());
            element.clear();
            continue;
        }
        element += c;
        if (quoted && c == '\\' && at + 1 < value.size())
            element += value[++at];
        else if (c == '"')
            quoted = !quoted;
    }
    elements.append(element.trimmed());
    elements.removeAll(QByteArray());
    return elements;
}

// A parameter value without the quotes and backslash escapes of a quoted string.
QByteArray unquoted(const QByteArray& value)
{
    if (!value.startsWith('"'))
        return value;
    QByteArray text;
    for (qsizetype at = 1; at < value.size() && value[at] != '"'; ++at) {
        if (value[at] == '\\' && at + 1 < value.size())
            ++at;
        text += value[at];
    }
    return text;
}

// Adds `text`, "name = value", to the parameters of `challenge`; false when
// `text` is no such parameter.
bool addParameter(WrittenChallenge& challenge, const QByteArray& text)
{
    const qsizetype nameEnd = tokenEnd(text, 0);
    const qsizetype equals = skipBlanks(text, nameEnd);
    if (nameEnd == 0 || equals >= text.size() || text[equals] != '=')
        return false;
    const QByteArray name = text.left(nameEnd).toLower();
    if (!challenge.parameters.contains(name))
        challenge.parameters.insert(name, unquoted(text.mid(equals + 1).trimmed()));
    return true;
}

// The challenges of all the values: an element that is a parameter belongs to
// the challenge before it; any other element starts a challenge with its
// scheme, perhaps followed by its first parameter or by a token68, which no
// scheme answered here uses.
QList<WrittenChallenge> writtenChallenges(const QList<QByteArray>& values)
{
    QList<WrittenChallenge> challenges;
    for (const QByteArray& value : values) {
        for (const QByteArray& element : listElements(value)) {
            if (!challenges.isEmpty() && addParameter(challenges.last(), element))
                continue;
            const qsizetype schemeEnd = tokenEnd(element, 0);
            if (schemeEnd == 0)
                continue; // neither a parameter nor a scheme
            challenges.append({element.left(schemeEnd).toLower(), {}});
            addParameter(challenges.last(), element.mid(schemeEnd).trimmed());
        }
    }
    return challenges;
}

std::optional<HttpAuthChallenge> answerable(const WrittenChallenge& written)
{
    HttpAuthChallenge challenge;
    challenge.realm = written.parameters.value("realm");
    if (written.scheme == "basic")
        return challenge;
    if (written.scheme != "digest")
        return std::nullopt;

    const QByteArray algorithm = written.parameters.value("algorithm", "MD5").toUpper();
    if (algorithm == "MD5")
        challenge.scheme = HttpAuthChallenge::Scheme::DigestMd5;
    else if (algorithm == "SHA-256")
        challenge.scheme = HttpAuthChallenge::Scheme::DigestSha256;
    else
        return std::nullopt;
    challenge.nonce = written.parameters.value("nonce");
    if (challenge.nonce.isEmpty())
        return std::nullopt;
    challenge.opaque = written.parameters.value("opaque");
    challenge.stale = written.parameters.value("stale").toLower() == "true";
    if (const auto qop = written.parameters.find("qop"); qop != written.parameters.end()) {
        for (const QByteArray& option : qop->split(','))
            challenge.qopAuth = challenge.qopAuth || option.trimmed().toLower() == "auth";
        if (!challenge.qopAuth)
            return std::nullopt; // only auth-int, which would need the whole request body
    }
    return challenge;
}

// `text` as a quoted string.
QByteArray quoted(QByteArray text)
{
    text.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + text + '"';
}

QByteArray randomNonce()
{
    std::array<quint32, 4> words {};
    QRandomGenerator::system()->generate(words.begin(), words.end());
    return QByteArray(reinterpret_cast<const char*>(words.data()), sizeof(words)).toHex();
}

} // namespace

std::optional<HttpAuthChallenge> HttpAuthenticator::choose(const QList<QByteArray>& values)
{
    std::optional<HttpAuthChallenge> best;
    for (const WrittenChallenge& written : writtenChallenges(values)) {
        const std::optional<HttpAuthChallenge> challenge = answerable(written);
        if (challenge && (!best || challenge->scheme > best->scheme))
            best = challenge;
    }
    return best;
}

HttpAuthenticator::HttpAuthenticator(QString user, QString password, HttpAuthChallenge challenge, Nonces cnonce)
    : user_(std::move(user))
    , password_(std::move(password))
    , challenge_(std::move(challenge))
    , cnonce_(cnonce ? std::move(cnonce) : Nonces(randomNonce))
{
}

QByteArray HttpAuthenticator::authorization(const QByteArray& method, const QByteArray& requestTarget)
{
    if (challenge_.scheme == HttpAuthChallenge::Scheme::Basic)
        return "Basic " + (user_ + QLatin1Char(':') + password_).toUtf8().toBase64();
    return digestAuthorization(method, requestTarget);
}

QByteArray HttpAuthenticator::digestAuthorization(const QByteArray& method, const QByteArray& requestTarget)
{
    const bool sha256 = challenge_.scheme == HttpAuthChallenge::Scheme::DigestSha256;
    const auto hash = [sha256](const QByteArray& text) {
        return QCryptographicHash::hash(text, sha256 ? QCryptographicHash::Sha256 : QCryptographicHash::Md5).toHex();
    };
    const QByteArray user = user_.toUtf8();
    const QByteArray userHash = hash(user + ':' + challenge_.realm + ':' + password_.toUtf8());
    const QByteArray requestHash = hash(method + ':' + requestTarget);

    QByteArray value = "Digest username=" + quoted(user) + ", realm=" + quoted(challenge_.realm) + ", uri="
        + quoted(requestTarget) + ", algorithm=" + (sha256 ? "SHA-256" : "MD5") + ", nonce=" + quoted(challenge_.nonce);
    QByteArray response;
    if (challenge_.qopAuth) {
        const QByteArray count = QByteArray::number(++nonceCount_, 16).rightJustified(8, '0');
        const QByteArray cnonce = cnonce_();
        response = hash(userHash + ':' + challenge_.nonce + ':' + count + ':' + cnonce + ":auth:" + requestHash);
        value += ", nc=" + count + ", cnonce=" + quoted(cnonce) + ", qop=auth";
    } else {
        response = hash(userHash + ':' + challenge_.nonce + ':' + requestHash);
    }
    value += ", response=" + quoted(response);
    if (!challenge_.opaque.isEmpty())
        value += ", opaque=" + quoted(challenge_.opaque);
    return value;
}
