#include "rpc/RpcStatusJson.h"

namespace {

using State = RpcDownloadStatus::State;

// aria2 counts a download in pieces of a MiB; the clients show them.
constexpr qint64 kPieceLength = 1048576;

QString number(qint64 n)
{
    return QString::number(n);
}

bool hasEnded(State state)
{
    return state == State::Error || state == State::Complete || state == State::Removed;
}

} // namespace

QString RpcStatusJson::stateName(State state)
{
    switch (state) {
    case State::Active: return QStringLiteral("active");
    case State::Waiting: return QStringLiteral("waiting");
    case State::Paused: return QStringLiteral("paused");
    case State::Error: return QStringLiteral("error");
    case State::Complete: return QStringLiteral("complete");
    case State::Removed: return QStringLiteral("removed");
    }
    return {};
}

QJsonObject RpcStatusJson::status(const RpcDownloadStatus& s, const QStringList& keys)
{
    QJsonObject all {
        {QStringLiteral("gid"), s.gid},
        {QStringLiteral("status"), stateName(s.state)},
        {QStringLiteral("totalLength"), number(s.totalLength)},
        {QStringLiteral("completedLength"), number(s.completedLength)},
        {QStringLiteral("uploadLength"), QStringLiteral("0")},
        {QStringLiteral("downloadSpeed"), number(s.downloadSpeed)},
        {QStringLiteral("uploadSpeed"), QStringLiteral("0")},
        {QStringLiteral("connections"), number(s.connections)},
        {QStringLiteral("pieceLength"), number(kPieceLength)},
        {QStringLiteral("numPieces"), number((s.totalLength + kPieceLength - 1) / kPieceLength)},
        {QStringLiteral("dir"), s.dir},
        {QStringLiteral("files"), files(s)},
    };
    if (hasEnded(s.state)) {
        all.insert(QStringLiteral("errorCode"), number(s.errorCode));
        if (!s.errorMessage.isEmpty())
            all.insert(QStringLiteral("errorMessage"), s.errorMessage);
    }
    if (keys.isEmpty())
        return all;
    QJsonObject chosen;
    for (const QString& key : keys) {
        if (all.contains(key))
            chosen.insert(key, all.value(key));
    }
    return chosen;
}

QJsonArray RpcStatusJson::files(const RpcDownloadStatus& s)
{
    QJsonArray list;
    for (qsizetype i = 0; i < s.files.size(); ++i) {
        const RpcDownloadStatus::File& file = s.files[i];
        list.append(QJsonObject {
            {QStringLiteral("index"), number(i + 1)},
            {QStringLiteral("path"), file.path},
            {QStringLiteral("length"), number(file.length)},
            {QStringLiteral("completedLength"), number(file.completedLength)},
            {QStringLiteral("selected"), QStringLiteral("true")},
            {QStringLiteral("uris"), uris(s, file)},
        });
    }
    return list;
}

// The first address is in use once the download has started; the others
// wait as mirrors.
QJsonArray RpcStatusJson::uris(const RpcDownloadStatus& s, const RpcDownloadStatus::File& file)
{
    const bool started = s.state != State::Waiting && s.state != State::Paused;
    QJsonArray list;
    for (qsizetype i = 0; i < file.uris.size(); ++i) {
        const bool used = started && i == 0;
        list.append(
            QJsonObject {{QStringLiteral("uri"), file.uris[i]},
                         {QStringLiteral("status"), used ? QStringLiteral("used") : QStringLiteral("waiting")}});
    }
    return list;
}

QJsonArray RpcStatusJson::servers(const RpcDownloadStatus& s)
{
    QJsonArray list;
    for (qsizetype i = 0; i < s.files.size(); ++i) {
        QJsonArray servers;
        if (!s.files[i].uris.isEmpty()) {
            const QString uri = s.files[i].uris.first();
            servers.append(QJsonObject {{QStringLiteral("uri"), uri},
                                        {QStringLiteral("currentUri"), uri},
                                        {QStringLiteral("downloadSpeed"), number(s.downloadSpeed)}});
        }
        list.append(QJsonObject {{QStringLiteral("index"), number(i + 1)}, {QStringLiteral("servers"), servers}});
    }
    return list;
}

QJsonObject RpcStatusJson::globalStat(const RpcGlobalStat& g)
{
    return {
        {QStringLiteral("downloadSpeed"), number(g.downloadSpeed)},
        {QStringLiteral("uploadSpeed"), QStringLiteral("0")},
        {QStringLiteral("numActive"), number(g.numActive)},
        {QStringLiteral("numWaiting"), number(g.numWaiting)},
        {QStringLiteral("numStopped"), number(g.numStopped)},
        {QStringLiteral("numStoppedTotal"), number(g.numStoppedTotal)},
    };
}
