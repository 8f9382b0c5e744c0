#pragma once

#include "rpc/RpcDownloadStatus.h"
#include "rpc/RpcGlobalStat.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

// A download's status in the shape of aria2's tellStatus, getFiles and
// getUris: every number a decimal text, files numbered from "1".
class RpcStatusJson {
public:
    // Only the keys named in `keys`; all of them when it is empty.
    static QJsonObject status(const RpcDownloadStatus& status, const QStringList& keys = {});
    static QJsonArray files(const RpcDownloadStatus& status);
    static QJsonArray uris(const RpcDownloadStatus& status, const RpcDownloadStatus::File& file);
    // getServers: the address each file of an active download is fetched from.
    static QJsonArray servers(const RpcDownloadStatus& status);
    static QJsonObject globalStat(const RpcGlobalStat& stat);
    // "active", "waiting", "paused", "error", "complete", "removed".
    static QString stateName(RpcDownloadStatus::State state);
};
