#include "rpc/RpcDispatcher.h"

#include "rpc/RpcDownloads.h"

#include <QJsonDocument>

namespace {

const QString kTokenPrefix = QStringLiteral("token:");

QJsonObject response(const QJsonValue& id, const RpcResult& result)
{
    QJsonObject object {{QStringLiteral("id"), id}, {QStringLiteral("jsonrpc"), QStringLiteral("2.0")}};
    if (!result.isFault()) {
        object.insert(QStringLiteral("result"), result.value);
        return object;
    }
    QJsonObject error {{QStringLiteral("code"), result.code}, {QStringLiteral("message"), result.message}};
    if (!result.detail.isEmpty())
        error.insert(QStringLiteral("data"), result.detail);
    object.insert(QStringLiteral("error"), error);
    return object;
}

RpcResult invalidRequest(const QString& detail = {})
{
    return RpcResult::fault(-32600, QStringLiteral("Invalid Request"), detail);
}

RpcResult tooManyCalls()
{
    return invalidRequest(QStringLiteral("At most %1 calls at once").arg(RpcDispatcher::kMostCalls));
}

QByteArray compact(const QJsonDocument& document)
{
    return document.toJson(QJsonDocument::Compact);
}

// Compares in a time that does not depend on where the texts differ, so that
// a client cannot find the secret a character at a time.
bool sameSecret(const QByteArray& given, const QByteArray& secret)
{
    unsigned difference = given.size() == secret.size() ? 0U : 1U;
    for (qsizetype i = 0; i < secret.size(); ++i)
        difference |= static_cast<unsigned>((i < given.size() ? given[i] : 0) ^ secret[i]);
    return difference == 0;
}

// The methods that need no secret, as in aria2.
bool isOpen(const QString& method)
{
    return method == QLatin1String("system.listMethods") || method == QLatin1String("system.listNotifications");
}

} // namespace

RpcDispatcher::RpcDispatcher(RpcDownloads& downloads, const QString& secret)
    : methods_(downloads)
    , secret_(secret.toUtf8())
{
}

QStringList RpcDispatcher::notificationNames()
{
    return {QStringLiteral("aria2.onDownloadStart"), QStringLiteral("aria2.onDownloadPause"),
            QStringLiteral("aria2.onDownloadStop"), QStringLiteral("aria2.onDownloadComplete"),
            QStringLiteral("aria2.onDownloadError")};
}

QByteArray RpcDispatcher::notification(const QString& method, const QString& gid)
{
    return compact(QJsonDocument(QJsonObject {
        {QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
        {QStringLiteral("method"), method},
        {QStringLiteral("params"), QJsonArray {QJsonObject {{QStringLiteral("gid"), gid}}}},
    }));
}

RpcDispatcher::Reply RpcDispatcher::handle(const QByteArray& request)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(request, &error);
    if (error.error != QJsonParseError::NoError) {
        const auto parseError = RpcResult::fault(-32700, QStringLiteral("Parse error"), error.errorString());
        return {compact(QJsonDocument(response(QJsonValue::Null, parseError))), 500};
    }
    int code = 0;
    if (document.isObject()) {
        const auto one = respond(document.object(), code);
        if (!one)
            return {{}, 204};
        return {compact(QJsonDocument(*one)), code == 0 ? 200 : 400};
    }
    const QJsonArray batch = document.array();
    if (batch.isEmpty() || batch.size() > kMostCalls) {
        const RpcResult refused = batch.isEmpty() ? invalidRequest() : tooManyCalls();
        return {compact(QJsonDocument(response(QJsonValue::Null, refused))), 400};
    }
    QJsonArray answers;
    for (const QJsonValue& item : batch) {
        if (const auto one = respond(item, code))
            answers.append(*one);
    }
    return {answers.isEmpty() ? QByteArray() : compact(QJsonDocument(answers)), answers.isEmpty() ? 204 : 200};
}

std::optional<QJsonObject> RpcDispatcher::respond(const QJsonValue& request, int& code)
{
    const QJsonObject object = request.toObject();
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue method = object.value(QStringLiteral("method"));
    const QJsonValue params = object.value(QStringLiteral("params"));
    const bool goodId = id.isUndefined() || id.isNull() || id.isString() || id.isDouble();
    RpcResult result;
    if (!request.isObject() || !method.isString() || !goodId || !(params.isUndefined() || params.isArray()))
        result = invalidRequest();
    else {
        result = call(method.toString(), params.toArray());
        if (id.isUndefined())
            return std::nullopt; // a notification: done, and not answered
    }
    code = result.code;
    return response(goodId && !id.isUndefined() ? id : QJsonValue(QJsonValue::Null), result);
}

bool RpcDispatcher::takeSecret(QJsonArray& params) const
{
    const QString first = params.isEmpty() ? QString() : params.first().toString();
    if (!first.startsWith(kTokenPrefix))
        return false;
    params.removeFirst();
    return sameSecret(first.mid(kTokenPrefix.size()).toUtf8(), secret_);
}

RpcResult RpcDispatcher::call(const QString& method, QJsonArray params)
{
    if (method == QLatin1String("system.multicall")) {
        // Each call inside carries the secret; a secret before them is let be.
        takeSecret(params);
        return multicall(params);
    }
    if (isOpen(method)) {
        takeSecret(params);
        const QStringList names = method == QLatin1String("system.listMethods") ? RpcMethods::names()
                + QStringList {QStringLiteral("system.multicall"), QStringLiteral("system.listMethods"),
                               QStringLiteral("system.listNotifications")}
                                                                                : notificationNames();
        return RpcResult::ok(QJsonArray::fromStringList(names));
    }
    if (!RpcMethods::names().contains(method))
        return RpcResult::fault(-32601, QStringLiteral("Method not found"), method);
    if (!takeSecret(params))
        return RpcResult::failed(QStringLiteral("Unauthorized"));
    return methods_.call(method, params);
}

// [[{"methodName": ..., "params": [...]}, ...]]: each call answered in turn,
// a result as [result], an error as {"code", "message"}.
RpcResult RpcDispatcher::multicall(const QJsonArray& params)
{
    if (params.size() != 1 || !params.first().isArray())
        return RpcResult::invalidParams(QStringLiteral("system.multicall takes one array of calls"));
    const QJsonArray calls = params.first().toArray();
    if (calls.size() > kMostCalls)
        return tooManyCalls();
    QJsonArray results;
    for (const QJsonValue& item : calls) {
        const QJsonObject one = item.toObject();
        const QJsonValue name = one.value(QStringLiteral("methodName"));
        const QJsonValue inner = one.value(QStringLiteral("params"));
        RpcResult result;
        if (!name.isString() || !(inner.isUndefined() || inner.isArray()))
            result = invalidRequest(QStringLiteral("Each call needs a methodName and an array of params"));
        else if (name.toString() == QLatin1String("system.multicall"))
            result = RpcResult::failed(QStringLiteral("Recursive system.multicall forbidden."));
        else
            result = call(name.toString(), inner.toArray());
        if (result.isFault())
            results.append(
                QJsonObject {{QStringLiteral("code"), result.code}, {QStringLiteral("message"), result.message}});
        else
            results.append(QJsonArray {result.value});
    }
    return RpcResult::ok(results);
}
