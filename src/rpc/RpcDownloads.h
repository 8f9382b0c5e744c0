#pragma once

#include "rpc/RpcDownloadStatus.h"
#include "rpc/RpcGlobalStat.h"
#include "rpc/RpcOptions.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The download list as the remote-control interface drives it: what
// RpcServer's methods ask of it, in plain values. Each download has a GID of
// 16 lower-case hex digits that the list makes and keeps across restarts.
// Commands answer a text that says why they could not be done, or an empty
// text when they were.
class RpcDownloads : public QObject {
    Q_OBJECT
public:
    // In the order of RpcDispatcher::notificationNames().
    enum class Event { Start, Pause, Stop, Complete, Error };
    Q_ENUM(Event)

    // Lists a download of `uris` (mirrors of one file) with `options`, at
    // `position` of the waiting downloads (the end when none); its GID, or an
    // empty text and the reason in `problem`.
    virtual QString add(const QStringList& uris, const RpcOptions& options, std::optional<int> position,
                        QString& problem) = 0;
    // A forced pause or remove stops at once, without the usual goodbyes.
    virtual QString pause(const QString& gid, bool force) = 0;
    virtual QString unpause(const QString& gid) = 0;
    virtual QString remove(const QString& gid, bool force) = 0;
    virtual void pauseAll(bool force) = 0;
    virtual void unpauseAll() = 0;

    // Nothing for a GID the list does not know.
    virtual std::optional<RpcDownloadStatus> status(const QString& gid) const = 0;
    virtual QList<RpcDownloadStatus> active() const = 0;
    // Queued and paused downloads, in the order they will start.
    virtual QList<RpcDownloadStatus> waiting() const = 0;
    // Ended downloads (complete, failed, removed), the oldest first.
    virtual QList<RpcDownloadStatus> stopped() const = 0;
    virtual RpcGlobalStat globalStat() const = 0;
    // Forgets an ended download, or all of them.
    virtual QString removeResult(const QString& gid) = 0;
    virtual void purgeResults() = 0;

    // The options of one download, and of the whole program, that are set.
    virtual RpcOptions options(const QString& gid) const = 0;
    virtual QString changeOptions(const QString& gid, const RpcOptions& change) = 0;
    virtual RpcOptions globalOptions() const = 0;
    virtual QString changeGlobalOptions(const RpcOptions& change) = 0;

signals:
    // Told to every WebSocket client as aria2.onDownloadStart and so on.
    void downloadEvent(RpcDownloads::Event event, const QString& gid);
};
