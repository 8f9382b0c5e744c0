#include "rpc/RpcHttpRequest.h"

std::optional<RpcHttpRequest> RpcHttpRequest::parse(const QByteArray& head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> start = lines.first().trimmed().split(' ');
    if (start.size() != 3 || !start[2].startsWith("HTTP/1.") || start[0].isEmpty() || start[1].isEmpty())
        return std::nullopt;
    RpcHttpRequest request;
    request.method = start[0];
    request.path = start[1].left(start[1].indexOf('?') < 0 ? start[1].size() : start[1].indexOf('?'));
    request.http10 = start[2] == "HTTP/1.0";
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return std::nullopt;
        request.fields_.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
    }
    return request;
}

bool RpcHttpRequest::hasHeader(const char* name) const
{
    const QByteArray key = QByteArray(name).toLower();
    return std::any_of(fields_.begin(), fields_.end(), [&key](const auto& field) { return field.first == key; });
}

QByteArray RpcHttpRequest::header(const char* name) const
{
    const QByteArray key = QByteArray(name).toLower();
    QList<QByteArray> values;
    for (const auto& field : fields_) {
        if (field.first == key)
            values.append(field.second);
    }
    return values.join(", ");
}

bool RpcHttpRequest::headerHas(const char* name, const char* token) const
{
    const QList<QByteArray> tokens = header(name).split(',');
    return std::any_of(tokens.begin(), tokens.end(),
                       [token](const QByteArray& t) { return t.trimmed().compare(token, Qt::CaseInsensitive) == 0; });
}
