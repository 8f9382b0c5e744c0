#pragma once

#include "rpc/RpcDownloads.h"

// A download list that the remote-control tests fill by hand; it notes what
// the methods asked of it.
class FakeDownloads : public RpcDownloads {
public:
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

    // A listed download: "gid" with the URI http://example.test/<gid>.
    RpcDownloadStatus& list(const QString& gid, RpcDownloadStatus::State state);

    QList<RpcDownloadStatus> items;
    RpcOptions global;
    // What the last add was given.
    QStringList addedUris;
    RpcOptions addedOptions;
    std::optional<int> addedPosition;
    // Every command, as "pause 0123456789abcdef force".
    QStringList commands;

private:
    QList<RpcDownloadStatus> inState(std::initializer_list<RpcDownloadStatus::State> states) const;
};
