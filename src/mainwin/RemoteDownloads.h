#pragma once

#include "engine/DownloadWindows.h"
#include "engine/JobList.h"
#include "rpc/RpcDownloads.h"

#include <QSet>

class KevaContext;

// The job list as the remote-control interface sees it: each row of today's
// list is a download with a GID made from its file, its address and how many
// rows before it have both (so the same row has the same GID after a
// restart). Downloads added remotely are rows like any other: they go
// through the download queue, run without a window and never ask a question.
class RemoteDownloads : public RpcDownloads {
    Q_OBJECT
public:
    RemoteDownloads(KevaContext& context, DownloadWindows& windows, QObject* parent = nullptr);

    QString add(const QStringList& uris, const RpcOptions& options, std::optional<int> position,
                QString& problem) override;
    QString pause(const QString& gid, bool force) override;
    QString unpause(const QString& gid) override;
    QString remove(const QString& gid, bool force) override;
    void pauseAll(bool force) override;
    void unpauseAll() override;

    std::optional<RpcDownloadStatus> status(const QString& gid) const override;
    QList<RpcDownloadStatus> active() const override;
    QList<RpcDownloadStatus> waiting() const override;
    QList<RpcDownloadStatus> stopped() const override;
    RpcGlobalStat globalStat() const override;
    QString removeResult(const QString& gid) override;
    void purgeResults() override;

    RpcOptions options(const QString& gid) const override;
    QString changeOptions(const QString& gid, const RpcOptions& change) override;
    RpcOptions globalOptions() const override;
    QString changeGlobalOptions(const RpcOptions& change) override;

    // A URL handed in while KEVA runs without windows: listed as a remote
    // client's download, with the browser's session and file name; its GID,
    // or nothing and the reason in `problem`.
    QString takeHandedIn(const QString& url, const BrowserSession& session, QString& problem);

    // The GID of `row` of today's list.
    QString gidOf(const JobList::Row& row) const;

private:
    // Lists `url` as `name` (in the client's dir, else beside the last
    // saved file) and starts it through the queue.
    QString list(const QString& url, QString name, const RequestOptions& request, const RpcOptions& options,
                 std::optional<int> position, QString& problem);
    // Every row of today's list with its GID, made in one pass.
    QList<std::pair<JobList::Row, QString>> listed() const;
    JobList::Row rowOf(const QString& gid) const;
    RpcDownloadStatus statusOf(const JobList::Row& row, const QString& gid) const;
    QList<RpcDownloadStatus> inState(std::initializer_list<RpcDownloadStatus::State> states) const;
    void follow(DownloadJob& job);
    void tell(Event event, const DownloadJob& job);
    QString notFound(const QString& gid) const;
    // Where removed_ tells of `gid`; -1 when it does not.
    qsizetype removedAt(const QString& gid) const;

    KevaContext& context_;
    DownloadWindows& windows_;
    JobList& jobs_;
    QSet<const DownloadJob*> followed_;
    // Downloads removed in this run, told as "removed" until forgotten.
    QList<RpcDownloadStatus> removed_;
    int endedInRun_ = 0;
};
