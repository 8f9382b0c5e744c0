#include "platform/RegistryHive.h"

#include <algorithm>

namespace {

const QByteArray kHeader = "REGEDIT4";

bool samePath(const QStringList& a, const QStringList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].compare(b[i], Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

bool isBelow(const QStringList& path, const QStringList& parent)
{
    return path.size() > parent.size() && samePath(path.mid(0, parent.size()), parent);
}

QByteArray quote(const QString& text)
{
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out + '"';
}

// Reads a quoted string starting at `pos` (which must hold the opening quote).
// On success moves `pos` past the closing quote.
std::optional<QString> unquote(const QByteArray& line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    QByteArray out;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            pos = i + 1;
            return QString::fromUtf8(out);
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= line.size())
            return std::nullopt;
        switch (line[i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

struct ParsedValue {
    QString name;
    QString data;
};

std::optional<ParsedValue> parseValueLine(const QByteArray& line)
{
    ParsedValue value;
    qsizetype pos = 0;
    if (line.startsWith('@')) {
        pos = 1;
    } else {
        const auto name = unquote(line, pos);
        if (!name)
            return std::nullopt;
        value.name = *name;
    }
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    ++pos;
    const auto data = unquote(line, pos);
    if (!data || pos != line.size())
        return std::nullopt;
    value.data = *data;
    return value;
}

} // namespace

RegistryHive::RegistryHive(QString rootName)
    : rootName_(std::move(rootName))
{
}

RegistryHive RegistryHive::parse(const QString& rootName, const QByteArray& text)
{
    RegistryHive hive(rootName);
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    Key* current = nullptr;
    bool first = true;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const bool isHeader = first && line.trimmed() == kHeader;
        first = false;
        if (isHeader || line.trimmed().isEmpty())
            continue;

        if (line.startsWith('[')) {
            QStringList parts = QString::fromUtf8(line.mid(1, line.size() - 2)).split(QLatin1Char('\\'));
            if (line.endsWith(']') && parts.first().compare(rootName, Qt::CaseInsensitive) == 0) {
                parts.removeFirst();
                current = &hive.keyForParsing(parts);
                continue;
            }
            // Everything up to the next readable section stays as it is.
            Key opaque;
            opaque.opaque = true;
            hive.keys_.append(opaque);
            current = &hive.keys_.last();
        } else if (current && !current->opaque) {
            if (const auto value = parseValueLine(line)) {
                storeValue(*current, value->name, value->data);
                continue;
            }
        }
        Line raw;
        raw.readable = false;
        raw.raw = line;
        if (current)
            current->lines.append(raw);
        else
            hive.preamble_.append(line);
    }
    return hive;
}

QByteArray RegistryHive::serialize() const
{
    QByteArray out = kHeader + "\n\n";
    for (const QByteArray& line : preamble_)
        out += line + '\n';
    if (!preamble_.isEmpty())
        out += '\n';
    for (const Key& key : keys_) {
        if (!key.opaque) {
            QStringList section = key.path;
            section.prepend(rootName_);
            out += '[' + section.join(QLatin1Char('\\')).toUtf8() + "]\n";
        }
        for (const Line& line : key.lines) {
            if (!line.readable)
                out += line.raw;
            else
                out += (line.name.isEmpty() ? QByteArray("@") : quote(line.name)) + '=' + quote(line.data);
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

std::optional<QString> RegistryHive::value(const QStringList& keyPath, const QString& name) const
{
    const Key* key = findKey(keyPath);
    if (!key)
        return std::nullopt;
    for (const Line& line : key->lines) {
        if (line.readable && line.name.compare(name, Qt::CaseInsensitive) == 0)
            return line.data;
    }
    return std::nullopt;
}

bool RegistryHive::hasKey(const QStringList& keyPath) const
{
    return keyPath.isEmpty() || findKey(keyPath) != nullptr;
}

QStringList RegistryHive::subkeys(const QStringList& keyPath) const
{
    QStringList names;
    for (const Key& key : keys_) {
        if (key.opaque || !isBelow(key.path, keyPath))
            continue;
        const QString& name = key.path[keyPath.size()];
        const bool known = std::any_of(names.cbegin(), names.cend(),
                                       [&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
        if (!known)
            names.append(name);
    }
    return names;
}

void RegistryHive::createKey(const QStringList& keyPath)
{
    // The root always exists; it gets a section only when it holds values.
    for (qsizetype depth = keyPath.isEmpty() ? 0 : 1; depth <= keyPath.size(); ++depth) {
        const QStringList path = keyPath.mid(0, depth);
        if (!findKey(path))
            keys_.append(Key {path, {}});
    }
}

void RegistryHive::setValue(const QStringList& keyPath, const QString& name, const QString& data)
{
    createKey(keyPath);
    storeValue(*findKey(keyPath), name, data);
}

bool RegistryHive::removeValue(const QStringList& keyPath, const QString& name)
{
    Key* key = findKey(keyPath);
    if (!key)
        return false;
    const auto removed = key->lines.removeIf(
        [&](const Line& line) { return line.readable && line.name.compare(name, Qt::CaseInsensitive) == 0; });
    return removed > 0;
}

bool RegistryHive::removeKey(const QStringList& keyPath)
{
    if (!findKey(keyPath))
        return false;
    const bool hasChildren = std::any_of(keys_.cbegin(), keys_.cend(),
                                         [&](const Key& key) { return !key.opaque && isBelow(key.path, keyPath); });
    if (hasChildren)
        return false;
    keys_.removeIf([&](const Key& key) { return !key.opaque && samePath(key.path, keyPath); });
    return true;
}

int RegistryHive::unreadableLineCount() const
{
    qsizetype count = preamble_.size();
    for (const Key& key : keys_)
        count += std::count_if(key.lines.cbegin(), key.lines.cend(), [](const Line& l) { return !l.readable; });
    return static_cast<int>(count);
}

RegistryHive::Key* RegistryHive::findKey(const QStringList& keyPath)
{
    for (Key& key : keys_) {
        if (!key.opaque && samePath(key.path, keyPath))
            return &key;
    }
    return nullptr;
}

const RegistryHive::Key* RegistryHive::findKey(const QStringList& keyPath) const
{
    return const_cast<RegistryHive*>(this)->findKey(keyPath);
}

// A section may appear twice in a file edited by hand; its values are merged
// into the first occurrence, later values winning as an import would.
RegistryHive::Key& RegistryHive::keyForParsing(const QStringList& keyPath)
{
    if (Key* key = findKey(keyPath))
        return *key;
    keys_.append(Key {keyPath, {}});
    return keys_.last();
}

void RegistryHive::storeValue(Key& key, const QString& name, const QString& data)
{
    for (Line& line : key.lines) {
        if (line.readable && line.name.compare(name, Qt::CaseInsensitive) == 0) {
            line.data = data;
            return;
        }
    }
    Line line;
    line.name = name;
    line.data = data;
    key.lines.append(line);
}
