#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

// The head of one HTTP/1.x request to the remote-control port: the request
// line and the header fields.
class RpcHttpRequest {
public:
    // The head, which ends with an empty line (not included); nothing when
    // it is not HTTP/1.x.
    static std::optional<RpcHttpRequest> parse(const QByteArray& head);

    QByteArray method;
    QByteArray path; // without the query
    bool http10 = false;

    // The value of a field (its name in any letter case); fields that come
    // more than once are joined with ", ". Empty when there is none.
    QByteArray header(const char* name) const;
    bool hasHeader(const char* name) const;
    // A comma-separated field (Connection, Upgrade) holds `token`.
    bool headerHas(const char* name, const char* token) const;

private:
    QList<QPair<QByteArray, QByteArray>> fields_; // names in lower case
};
