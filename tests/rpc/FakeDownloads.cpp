#include "FakeDownloads.h"

RpcDownloadStatus& FakeDownloads::list(const QString& gid, RpcDownloadStatus::State state)
{
    RpcDownloadStatus item;
    item.gid = gid;
    item.state = state;
    item.dir = QStringLiteral("/downloads");
    item.files = {{QStringLiteral("/downloads/") + gid, 0, 0, {QStringLiteral("http://example.test/") + gid}}};
    items.append(item);
    return items.last();
}

QString FakeDownloads::add(const QStringList& uris, const RpcOptions& options, std::optional<int> position,
                           QString& problem)
{
    if (uris.first().startsWith(QLatin1String("bad:"))) {
        problem = QStringLiteral("KEVA cannot download bad: addresses");
        return {};
    }
    addedUris = uris;
    addedOptions = options;
    addedPosition = position;
    return list(QStringLiteral("00000000000000%1").arg(items.size(), 2, 10, QLatin1Char('0')),
                RpcDownloadStatus::State::Waiting)
        .gid;
}

QString FakeDownloads::pause(const QString& gid, bool force)
{
    commands.append(QStringLiteral("pause ") + gid + (force ? QStringLiteral(" force") : QString()));
    return {};
}

QString FakeDownloads::unpause(const QString& gid)
{
    commands.append(QStringLiteral("unpause ") + gid);
    emit downloadEvent(Event::Start, gid);
    return {};
}

QString FakeDownloads::remove(const QString& gid, bool force)
{
    commands.append(QStringLiteral("remove ") + gid + (force ? QStringLiteral(" force") : QString()));
    return {};
}

void FakeDownloads::pauseAll(bool force)
{
    commands.append(force ? QStringLiteral("pauseAll force") : QStringLiteral("pauseAll"));
}

void FakeDownloads::unpauseAll()
{
    commands.append(QStringLiteral("unpauseAll"));
}

std::optional<RpcDownloadStatus> FakeDownloads::status(const QString& gid) const
{
    for (const RpcDownloadStatus& item : items) {
        if (item.gid == gid)
            return item;
    }
    return std::nullopt;
}

QList<RpcDownloadStatus> FakeDownloads::inState(std::initializer_list<RpcDownloadStatus::State> states) const
{
    QList<RpcDownloadStatus> chosen;
    for (const RpcDownloadStatus& item : items) {
        if (std::find(states.begin(), states.end(), item.state) != states.end())
            chosen.append(item);
    }
    return chosen;
}

QList<RpcDownloadStatus> FakeDownloads::active() const
{
    return inState({RpcDownloadStatus::State::Active});
}

QList<RpcDownloadStatus> FakeDownloads::waiting() const
{
    return inState({RpcDownloadStatus::State::Waiting, RpcDownloadStatus::State::Paused});
}

QList<RpcDownloadStatus> FakeDownloads::stopped() const
{
    return inState(
        {RpcDownloadStatus::State::Error, RpcDownloadStatus::State::Complete, RpcDownloadStatus::State::Removed});
}

RpcGlobalStat FakeDownloads::globalStat() const
{
    return {2048, static_cast<int>(active().size()), static_cast<int>(waiting().size()),
            static_cast<int>(stopped().size()), static_cast<int>(stopped().size()) + 1};
}

QString FakeDownloads::removeResult(const QString& gid)
{
    commands.append(QStringLiteral("removeResult ") + gid);
    return {};
}

void FakeDownloads::purgeResults()
{
    commands.append(QStringLiteral("purgeResults"));
}

RpcOptions FakeDownloads::options(const QString&) const
{
    return addedOptions;
}

QString FakeDownloads::changeOptions(const QString& gid, const RpcOptions&)
{
    return QStringLiteral("Download %1 takes no new options while it runs").arg(gid);
}

RpcOptions FakeDownloads::globalOptions() const
{
    return global;
}

QString FakeDownloads::changeGlobalOptions(const RpcOptions& change)
{
    if (change.maxOverallDownloadLimit)
        global.maxOverallDownloadLimit = change.maxOverallDownloadLimit;
    if (change.maxConcurrentDownloads)
        global.maxConcurrentDownloads = change.maxConcurrentDownloads;
    return {};
}
