#pragma once

#include "rpc/RpcMethods.h"
#include "rpc/RpcResult.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

class RpcDownloads;

// JSON-RPC 2.0 around aria2's methods: reads a request or a batch, checks
// the secret that every call carries as its first parameter ("token:..."),
// answers system.multicall, system.listMethods and system.listNotifications
// itself and hands the other calls to RpcMethods.
class RpcDispatcher {
public:
    // The most calls one request (a batch or a system.multicall) may hold.
    static constexpr int kMostCalls = 64;

    struct Reply {
        QByteArray body; // empty when every call was a notification
        int httpStatus = 200;
    };

    RpcDispatcher(RpcDownloads& downloads, const QString& secret);

    Reply handle(const QByteArray& request);
    // What a WebSocket client is sent when the download list raises an event.
    static QByteArray notification(const QString& method, const QString& gid);
    static QStringList notificationNames();

private:
    // The response to one request object; nothing for a notification.
    std::optional<QJsonObject> respond(const QJsonValue& request, int& code);
    RpcResult call(const QString& method, QJsonArray params);
    RpcResult multicall(const QJsonArray& params);
    // Takes the secret off the parameters; false when it is missing or wrong.
    bool takeSecret(QJsonArray& params) const;

    RpcMethods methods_;
    const QByteArray secret_;
};
