#include "core/NetrcFile.h"

#include <QList>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Reads the tokens of a .netrc text one after the other.
class NetrcTokens {
public:
    explicit NetrcTokens(const QByteArray& text)
        : text_(text)
    {
    }

    // The next token, with the quotes and escapes of a quoted one undone;
    // nothing at the end of the text.
    std::optional<QString> next()
    {
        while (at_ < text_.size() && isSpace(text_[at_]))
            ++at_;
        if (at_ >= text_.size())
            return std::nullopt;
        QByteArray token;
        if (text_[at_] == '"') {
            for (++at_; at_ < text_.size() && text_[at_] != '"'; ++at_) {
                if (text_[at_] == '\\' && at_ + 1 < text_.size())
                    ++at_;
                token += text_[at_];
            }
            ++at_; // past the closing quote
        } else {
            while (at_ < text_.size() && !isSpace(text_[at_]))
                token += text_[at_++];
        }
        return QString::fromUtf8(token);
    }

    // Moves past the body of a macro: the rest of the current line, then every
    // line up to and including the next empty one.
    void skipMacro()
    {
        qsizetype lineEnd = text_.indexOf('\n', at_);
        while (lineEnd >= 0) {
            const qsizetype nextEnd = text_.indexOf('\n', lineEnd + 1);
            const QByteArray line = text_.mid(lineEnd + 1, nextEnd < 0 ? -1 : nextEnd - lineEnd - 1);
            if (line.trimmed().isEmpty()) {
                at_ = nextEnd < 0 ? text_.size() : nextEnd + 1;
                return;
            }
            lineEnd = nextEnd;
        }
        at_ = text_.size();
    }

private:
    const QByteArray& text_;
    qsizetype at_ = 0;
};

// One "machine" or "default" entry with the login it gives.
struct NetrcEntry {
    bool isDefault = false;
    QString machine;
    NetrcFile::Login login;
};

QList<NetrcEntry> entries(const QByteArray& text)
{
    QList<NetrcEntry> found;
    NetrcTokens tokens(text);
    while (const std::optional<QString> token = tokens.next()) {
        if (*token == QLatin1String("machine")) {
            found.append({false, tokens.next().value_or(QString()), {}});
        } else if (*token == QLatin1String("default")) {
            found.append({true, {}, {}});
        } else if (*token == QLatin1String("login") || *token == QLatin1String("password")
                   || *token == QLatin1String("account")) {
            const QString value = tokens.next().value_or(QString());
            if (found.isEmpty())
                continue; // a value before the first entry belongs to none
            if (*token == QLatin1String("login"))
                found.last().login.login = value;
            else if (*token == QLatin1String("password"))
                found.last().login.password = value;
        } else if (*token == QLatin1String("macdef")) {
            tokens.next(); // the macro's name
            tokens.skipMacro();
        }
    }
    return found;
}

} // namespace

std::optional<NetrcFile::Login> NetrcFile::lookup(const QByteArray& text, const QString& host)
{
    const QList<NetrcEntry> all = entries(text);
    for (const NetrcEntry& entry : all) {
        if (!entry.isDefault && entry.machine.compare(host, Qt::CaseInsensitive) == 0)
            return entry.login;
    }
    for (const NetrcEntry& entry : all) {
        if (entry.isDefault)
            return entry.login;
    }
    return std::nullopt;
}
