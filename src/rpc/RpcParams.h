#pragma once

#include "rpc/RpcResult.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <optional>

// Reads the parameters of one call by position. A parameter that is missing
// or of the wrong kind gives an empty value and keeps the first fault, which
// the method answers instead of doing anything.
class RpcParams {
public:
    explicit RpcParams(QJsonArray params);

    // A GID: a text of 16 hex digits.
    QString gid(int index);
    qint64 integer(int index);
    std::optional<qint64> optionalInteger(int index);
    // An array of texts; an empty list when an optional one is missing.
    QStringList texts(int index, bool required);
    QJsonObject optionalObject(int index);

    const std::optional<RpcResult>& fault() const { return fault_; }

private:
    // The parameter, or nothing (and a fault when it is required).
    std::optional<QJsonValue> at(int index, bool required);
    void wrongKind(int index, const char* wanted);

    QJsonArray params_;
    std::optional<RpcResult> fault_;
};
