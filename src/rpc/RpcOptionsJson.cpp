#include "rpc/RpcOptionsJson.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

#include <functional>

namespace {

using Setter = std::function<bool(RpcOptions&, const QJsonValue&, QString&)>;

struct Option {
    const char* name;
    RpcOptionsJson::Scope scope;
    Setter set;
};

// A value as a text; aria2's clients send texts, some send plain numbers.
std::optional<QString> textOf(const QJsonValue& value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toInteger());
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return std::nullopt;
}

template <auto Field> Setter text()
{
    return [](RpcOptions& o, const QJsonValue& v, QString& problem) {
        const auto t = textOf(v);
        if (!t)
            problem = QStringLiteral("takes a text");
        else
            o.*Field = *t;
        return t.has_value();
    };
}

template <auto Field> Setter truth()
{
    return [](RpcOptions& o, const QJsonValue& v, QString& problem) {
        const QString t = textOf(v).value_or(QString());
        if (t != QLatin1String("true") && t != QLatin1String("false")) {
            problem = QStringLiteral("takes true or false");
            return false;
        }
        o.*Field = t == QLatin1String("true");
        return true;
    };
}

template <auto Field> Setter whole(int low, int high)
{
    return [low, high](RpcOptions& o, const QJsonValue& v, QString& problem) {
        bool ok = false;
        const int n = textOf(v).value_or(QString()).toInt(&ok);
        if (!ok || n < low || n > high) {
            problem = QStringLiteral("takes a whole number from %1 to %2").arg(low).arg(high);
            return false;
        }
        o.*Field = n;
        return true;
    };
}

// Bytes a second, with K or M for 1024 or 1048576 of them; 0: no limit.
bool setSpeed(RpcOptions& o, const QJsonValue& v, QString& problem)
{
    QString t = textOf(v).value_or(QString()).trimmed();
    qint64 unit = 1;
    if (t.endsWith(QLatin1Char('K'), Qt::CaseInsensitive))
        unit = 1024;
    else if (t.endsWith(QLatin1Char('M'), Qt::CaseInsensitive))
        unit = 1048576;
    if (unit != 1)
        t.chop(1);
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (!ok || n < 0 || n > (qint64 {1} << 40)) {
        problem = QStringLiteral("takes bytes a second, such as 0, 500K or 2M");
        return false;
    }
    o.maxOverallDownloadLimit = n * unit;
    return true;
}

bool setHeader(RpcOptions& o, const QJsonValue& v, QString& problem)
{
    QStringList lines;
    const QJsonArray items = v.isArray() ? v.toArray() : QJsonArray {v};
    for (const QJsonValue& item : items) {
        const QString line = item.toString();
        if (!item.isString() || !line.contains(QLatin1Char(':')) || line.contains(QLatin1Char('\n'))
            || line.contains(QLatin1Char('\r'))) {
            problem = QStringLiteral("takes \"Name: value\" lines");
            return false;
        }
        lines.append(line);
    }
    o.header = lines;
    return true;
}

// "sha-256=HEX" as aria2 writes it; the hyphen is what tells it from KEVA's own "sha256=HEX".
bool setChecksum(RpcOptions& o, const QJsonValue& v, QString& problem)
{
    const QString t = textOf(v).value_or(QString());
    const auto checksum = Checksum::parse(QString(t).replace(QLatin1String("sha-"), QLatin1String("sha")), problem);
    if (checksum)
        o.checksum = checksum;
    return checksum.has_value();
}

// A file name within the folder, nothing that leaves it.
bool setOut(RpcOptions& o, const QJsonValue& v, QString& problem)
{
    const QString t = textOf(v).value_or(QString());
    if (t.isEmpty() || t.contains(QLatin1Char('/')) || t == QLatin1String("..") || t == QLatin1String(".")) {
        problem = QStringLiteral("takes a file name without a folder");
        return false;
    }
    o.out = t;
    return true;
}

const std::vector<Option>& optionTable()
{
    using S = RpcOptionsJson::Scope;
    static const std::vector<Option> options = {
        {"dir", S::Download, text<&RpcOptions::dir>()},
        {"out", S::Download, &setOut},
        {"header", S::Download, &setHeader},
        {"referer", S::Download, text<&RpcOptions::referer>()},
        {"user-agent", S::Download, text<&RpcOptions::userAgent>()},
        {"split", S::Download, whole<&RpcOptions::split>(1, 16)},
        {"checksum", S::Download, &setChecksum},
        {"pause", S::Download, truth<&RpcOptions::pause>()},
        {"allow-overwrite", S::Download, truth<&RpcOptions::allowOverwrite>()},
        {"continue", S::Download, truth<&RpcOptions::continueDownload>()},
        {"max-overall-download-limit", S::Global, &setSpeed},
        {"max-concurrent-downloads", S::Global, whole<&RpcOptions::maxConcurrentDownloads>(1, 64)},
    };
    return options;
}

QString aria2Checksum(const Checksum& checksum)
{
    return checksum.displayName().toLower() + QLatin1Char('=') + QString::fromLatin1(checksum.hex);
}

// A value as the client wrote it in JSON.
QString shown(const QJsonValue& value)
{
    const QByteArray inArray = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(inArray.mid(1, inArray.size() - 2));
}

QString truthText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

std::optional<RpcOptions> RpcOptionsJson::parse(const QJsonObject& object, Scope scope, QString& problem)
{
    RpcOptions options;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const auto option = std::find_if(optionTable().begin(), optionTable().end(), [&](const Option& o) {
            return o.scope == scope && it.key() == QLatin1String(o.name);
        });
        if (option == optionTable().end()) {
            problem = QStringLiteral("The option %1 is not supported").arg(it.key());
            return std::nullopt;
        }
        QString why;
        if (!option->set(options, it.value(), why)) {
            problem = QStringLiteral("The option %1 %2, not %3").arg(it.key(), why, shown(it.value()));
            return std::nullopt;
        }
    }
    return options;
}

QJsonObject RpcOptionsJson::toJson(const RpcOptions& o)
{
    QJsonObject object;
    const auto put = [&object](const char* name, const auto& value, auto&& asText) {
        if (value)
            object.insert(QLatin1String(name), asText(*value));
    };
    const auto same = [](const QString& t) { return t; };
    const auto number = [](auto n) { return QString::number(n); };
    put("dir", o.dir, same);
    put("out", o.out, same);
    if (o.header)
        object.insert(QStringLiteral("header"), QJsonArray::fromStringList(*o.header));
    put("referer", o.referer, same);
    put("user-agent", o.userAgent, same);
    put("split", o.split, number);
    put("checksum", o.checksum, &aria2Checksum);
    put("pause", o.pause, &truthText);
    put("allow-overwrite", o.allowOverwrite, &truthText);
    put("continue", o.continueDownload, &truthText);
    put("max-overall-download-limit", o.maxOverallDownloadLimit, number);
    put("max-concurrent-downloads", o.maxConcurrentDownloads, number);
    return object;
}
