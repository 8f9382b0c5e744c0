#include "rpc/RpcParams.h"

#include <QRegularExpression>

RpcParams::RpcParams(QJsonArray params)
    : params_(std::move(params))
{
}

std::optional<QJsonValue> RpcParams::at(int index, bool required)
{
    if (index < params_.size() && !params_[index].isNull())
        return params_[index];
    if (required && !fault_)
        fault_ = RpcResult::invalidParams(QStringLiteral("The parameter at %1 is missing").arg(index));
    return std::nullopt;
}

void RpcParams::wrongKind(int index, const char* wanted)
{
    if (!fault_)
        fault_ = RpcResult::invalidParams(
            QStringLiteral("The parameter at %1 must be %2").arg(index).arg(QLatin1String(wanted)));
}

QString RpcParams::gid(int index)
{
    static const QRegularExpression form(QStringLiteral("^[0-9a-f]{16}$"));
    const auto value = at(index, true);
    if (!value)
        return {};
    if (!value->isString()) {
        wrongKind(index, "a GID text");
        return {};
    }
    const QString gid = value->toString();
    if (!form.match(gid).hasMatch()) {
        if (!fault_)
            fault_ = RpcResult::failed(QStringLiteral("Invalid GID %1").arg(gid));
        return {};
    }
    return gid;
}

std::optional<qint64> RpcParams::optionalInteger(int index)
{
    const auto value = at(index, false);
    if (!value)
        return std::nullopt;
    const double n = value->toDouble();
    if (!value->isDouble() || n != static_cast<double>(value->toInteger())) {
        wrongKind(index, "a whole number");
        return std::nullopt;
    }
    return value->toInteger();
}

qint64 RpcParams::integer(int index)
{
    at(index, true);
    return optionalInteger(index).value_or(0);
}

QStringList RpcParams::texts(int index, bool required)
{
    const auto value = at(index, required);
    if (!value)
        return {};
    QStringList list;
    const QJsonArray items = value->toArray();
    for (const QJsonValue& item : items)
        list.append(item.toString());
    const bool allTexts = std::all_of(items.begin(), items.end(), [](const QJsonValue& v) { return v.isString(); });
    if (!value->isArray() || !allTexts) {
        wrongKind(index, "an array of texts");
        return {};
    }
    return list;
}

QJsonObject RpcParams::optionalObject(int index)
{
    const auto value = at(index, false);
    if (value && !value->isObject())
        wrongKind(index, "an object");
    return value ? value->toObject() : QJsonObject();
}
