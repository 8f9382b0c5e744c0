#pragma once

#include <QJsonValue>
#include <QString>

// What one remote call answers: a result, or an error with its JSON-RPC code
// (1 for the download list's own errors, as aria2 answers them), message and,
// for the standard errors, what exactly was wrong.
struct RpcResult {
    QJsonValue value;
    int code = 0; // 0: value is the result
    QString message;
    QString detail;

    static RpcResult ok(QJsonValue result) { return {std::move(result), 0, {}, {}}; }
    static RpcResult fault(int code, QString message, QString detail = {})
    {
        return {QJsonValue(), code, std::move(message), std::move(detail)};
    }
    static RpcResult failed(const QString& message) { return fault(1, message); }
    static RpcResult invalidParams(QString detail)
    {
        return fault(-32602, QStringLiteral("Invalid params"), std::move(detail));
    }
    bool isFault() const { return code != 0; }
};
