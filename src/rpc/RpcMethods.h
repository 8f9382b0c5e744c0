#pragma once

#include "rpc/RpcResult.h"

#include <QJsonArray>
#include <QString>
#include <QStringList>

class RpcDownloads;
class RpcParams;

// aria2's download methods (aria2.addUri, aria2.tellStatus, ...) over the
// download list, with aria2's parameters and the shapes of its results. The
// secret is checked, and system.* answered, before a call gets here.
class RpcMethods {
public:
    explicit RpcMethods(RpcDownloads& downloads);

    // Every method name this answers, aria2.addTorrent and the other
    // BitTorrent and Metalink ones too (with an error).
    static QStringList names();
    RpcResult call(const QString& name, const QJsonArray& params);

private:
    using Method = RpcResult (RpcMethods::*)(RpcParams&);
    struct Entry {
        const char* name;
        Method method;
    };
    static const std::vector<Entry>& table();

    RpcResult addUri(RpcParams& p);
    RpcResult remove(RpcParams& p);
    RpcResult forceRemove(RpcParams& p);
    RpcResult pause(RpcParams& p);
    RpcResult forcePause(RpcParams& p);
    RpcResult unpause(RpcParams& p);
    RpcResult pauseAll(RpcParams& p);
    RpcResult forcePauseAll(RpcParams& p);
    RpcResult unpauseAll(RpcParams& p);
    RpcResult tellStatus(RpcParams& p);
    RpcResult getUris(RpcParams& p);
    RpcResult getFiles(RpcParams& p);
    RpcResult getServers(RpcParams& p);
    RpcResult tellActive(RpcParams& p);
    RpcResult tellWaiting(RpcParams& p);
    RpcResult tellStopped(RpcParams& p);
    RpcResult getOption(RpcParams& p);
    RpcResult changeOption(RpcParams& p);
    RpcResult getGlobalOption(RpcParams& p);
    RpcResult changeGlobalOption(RpcParams& p);
    RpcResult getGlobalStat(RpcParams& p);
    RpcResult removeDownloadResult(RpcParams& p);
    RpcResult purgeDownloadResult(RpcParams& p);
    RpcResult getVersion(RpcParams& p);
    RpcResult getSessionInfo(RpcParams& p);
    RpcResult saveSession(RpcParams& p);
    RpcResult notSupported(RpcParams& p);

    // A command on one download: its GID, or the error the list gave.
    RpcResult onDownload(RpcParams& p, QString (RpcDownloads::*command)(const QString&, bool), bool force);
    RpcResult page(RpcParams& p, bool stopped);

    RpcDownloads& downloads_;
    const QString sessionId_;
    QString calling_;
};
