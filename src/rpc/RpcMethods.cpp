#include "rpc/RpcMethods.h"

#include "core/ProgramVersion.h"
#include "rpc/RpcDownloads.h"
#include "rpc/RpcOptionsJson.h"
#include "rpc/RpcParams.h"
#include "rpc/RpcStatusJson.h"

#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace {

QString randomHex(int bytes)
{
    QByteArray random(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(random.data()), bytes / 4);
    return QString::fromLatin1(random.toHex());
}

RpcResult okText()
{
    return RpcResult::ok(QStringLiteral("OK"));
}

RpcResult notFound(const QString& gid)
{
    return RpcResult::failed(QStringLiteral("GID %1 is not found").arg(gid));
}

// The download list's answer to a command: done, or why not.
RpcResult outcome(const QString& problem, QJsonValue done)
{
    return problem.isEmpty() ? RpcResult::ok(std::move(done)) : RpcResult::failed(problem);
}

// The part of a list that aria2's tellWaiting and tellStopped answer: `num`
// items from `offset`, or, for a negative offset, counted back from the end
// and answered last first.
QJsonArray paged(const QList<RpcDownloadStatus>& items, qint64 offset, qint64 num, const QStringList& keys)
{
    const qint64 size = items.size();
    qint64 first = offset;
    qint64 count = num;
    if (offset < 0) {
        const qint64 last = offset + size;
        first = std::max<qint64>(0, last - (num - 1));
        count = std::min(num, last + 1);
    }
    QJsonArray list;
    for (qint64 i = std::max<qint64>(first, 0); i < std::min(first + count, size); ++i) {
        if (offset < 0)
            list.prepend(RpcStatusJson::status(items[i], keys));
        else
            list.append(RpcStatusJson::status(items[i], keys));
    }
    return list;
}

QJsonArray statuses(const QList<RpcDownloadStatus>& items, const QStringList& keys)
{
    QJsonArray list;
    for (const RpcDownloadStatus& item : items)
        list.append(RpcStatusJson::status(item, keys));
    return list;
}

} // namespace

RpcMethods::RpcMethods(RpcDownloads& downloads)
    : downloads_(downloads)
    , sessionId_(randomHex(20))
{
}

const std::vector<RpcMethods::Entry>& RpcMethods::table()
{
    static const std::vector<Entry> methods = {
        {"aria2.addUri", &RpcMethods::addUri},
        {"aria2.addTorrent", &RpcMethods::notSupported},
        {"aria2.addMetalink", &RpcMethods::notSupported},
        {"aria2.remove", &RpcMethods::remove},
        {"aria2.forceRemove", &RpcMethods::forceRemove},
        {"aria2.pause", &RpcMethods::pause},
        {"aria2.pauseAll", &RpcMethods::pauseAll},
        {"aria2.forcePause", &RpcMethods::forcePause},
        {"aria2.forcePauseAll", &RpcMethods::forcePauseAll},
        {"aria2.unpause", &RpcMethods::unpause},
        {"aria2.unpauseAll", &RpcMethods::unpauseAll},
        {"aria2.tellStatus", &RpcMethods::tellStatus},
        {"aria2.getUris", &RpcMethods::getUris},
        {"aria2.getFiles", &RpcMethods::getFiles},
        {"aria2.getPeers", &RpcMethods::notSupported},
        {"aria2.getServers", &RpcMethods::getServers},
        {"aria2.tellActive", &RpcMethods::tellActive},
        {"aria2.tellWaiting", &RpcMethods::tellWaiting},
        {"aria2.tellStopped", &RpcMethods::tellStopped},
        {"aria2.getOption", &RpcMethods::getOption},
        {"aria2.changeOption", &RpcMethods::changeOption},
        {"aria2.getGlobalOption", &RpcMethods::getGlobalOption},
        {"aria2.changeGlobalOption", &RpcMethods::changeGlobalOption},
        {"aria2.getGlobalStat", &RpcMethods::getGlobalStat},
        {"aria2.purgeDownloadResult", &RpcMethods::purgeDownloadResult},
        {"aria2.removeDownloadResult", &RpcMethods::removeDownloadResult},
        {"aria2.getVersion", &RpcMethods::getVersion},
        {"aria2.getSessionInfo", &RpcMethods::getSessionInfo},
        {"aria2.saveSession", &RpcMethods::saveSession},
    };
    return methods;
}

QStringList RpcMethods::names()
{
    QStringList list;
    for (const Entry& entry : table())
        list.append(QLatin1String(entry.name));
    return list;
}

RpcResult RpcMethods::call(const QString& name, const QJsonArray& params)
{
    const auto entry = std::find_if(table().begin(), table().end(),
                                    [&name](const Entry& e) { return name == QLatin1String(e.name); });
    if (entry == table().end())
        return RpcResult::fault(-32601, QStringLiteral("Method not found"), name);
    calling_ = name;
    RpcParams p(params);
    return (this->*entry->method)(p);
}

RpcResult RpcMethods::addUri(RpcParams& p)
{
    const QStringList uris = p.texts(0, true);
    const QJsonObject given = p.optionalObject(1);
    const auto position = p.optionalInteger(2);
    if (p.fault())
        return *p.fault();
    if (uris.isEmpty())
        return RpcResult::failed(QStringLiteral("URI is not provided."));
    if (position && *position < 0)
        return RpcResult::invalidParams(QStringLiteral("The position must be 0 or more"));
    QString problem;
    const auto options = RpcOptionsJson::parse(given, RpcOptionsJson::Scope::Download, problem);
    if (!options)
        return RpcResult::failed(problem);
    std::optional<int> at;
    if (position)
        at = static_cast<int>(std::min<qint64>(*position, std::numeric_limits<int>::max()));
    const QString gid = downloads_.add(uris, *options, at, problem);
    return outcome(problem, gid);
}

RpcResult RpcMethods::onDownload(RpcParams& p, QString (RpcDownloads::*command)(const QString&, bool), bool force)
{
    const QString gid = p.gid(0);
    if (p.fault())
        return *p.fault();
    if (!downloads_.status(gid))
        return notFound(gid);
    return outcome((downloads_.*command)(gid, force), gid);
}

RpcResult RpcMethods::remove(RpcParams& p)
{
    return onDownload(p, &RpcDownloads::remove, false);
}

RpcResult RpcMethods::forceRemove(RpcParams& p)
{
    return onDownload(p, &RpcDownloads::remove, true);
}

RpcResult RpcMethods::pause(RpcParams& p)
{
    return onDownload(p, &RpcDownloads::pause, false);
}

RpcResult RpcMethods::forcePause(RpcParams& p)
{
    return onDownload(p, &RpcDownloads::pause, true);
}

RpcResult RpcMethods::unpause(RpcParams& p)
{
    const QString gid = p.gid(0);
    if (p.fault())
        return *p.fault();
    if (!downloads_.status(gid))
        return notFound(gid);
    return outcome(downloads_.unpause(gid), gid);
}

RpcResult RpcMethods::pauseAll(RpcParams&)
{
    downloads_.pauseAll(false);
    return okText();
}

RpcResult RpcMethods::forcePauseAll(RpcParams&)
{
    downloads_.pauseAll(true);
    return okText();
}

RpcResult RpcMethods::unpauseAll(RpcParams&)
{
    downloads_.unpauseAll();
    return okText();
}

RpcResult RpcMethods::tellStatus(RpcParams& p)
{
    const QString gid = p.gid(0);
    const QStringList keys = p.texts(1, false);
    if (p.fault())
        return *p.fault();
    const auto status = downloads_.status(gid);
    return status ? RpcResult::ok(RpcStatusJson::status(*status, keys)) : notFound(gid);
}

RpcResult RpcMethods::getUris(RpcParams& p)
{
    const QString gid = p.gid(0);
    if (p.fault())
        return *p.fault();
    const auto status = downloads_.status(gid);
    if (!status)
        return notFound(gid);
    return RpcResult::ok(status->files.isEmpty() ? QJsonArray() : RpcStatusJson::uris(*status, status->files.first()));
}

RpcResult RpcMethods::getFiles(RpcParams& p)
{
    const QString gid = p.gid(0);
    if (p.fault())
        return *p.fault();
    const auto status = downloads_.status(gid);
    return status ? RpcResult::ok(RpcStatusJson::files(*status)) : notFound(gid);
}

RpcResult RpcMethods::getServers(RpcParams& p)
{
    const QString gid = p.gid(0);
    if (p.fault())
        return *p.fault();
    const auto status = downloads_.status(gid);
    if (!status)
        return notFound(gid);
    if (status->state != RpcDownloadStatus::State::Active)
        return RpcResult::failed(QStringLiteral("No active download for GID#%1").arg(gid));
    return RpcResult::ok(RpcStatusJson::servers(*status));
}

RpcResult RpcMethods::tellActive(RpcParams& p)
{
    const QStringList keys = p.texts(0, false);
    if (p.fault())
        return *p.fault();
    return RpcResult::ok(statuses(downloads_.active(), keys));
}

RpcResult RpcMethods::page(RpcParams& p, bool stopped)
{
    const qint64 offset = p.integer(0);
    const qint64 num = p.integer(1);
    const QStringList keys = p.texts(2, false);
    if (p.fault())
        return *p.fault();
    if (num < 0)
        return RpcResult::invalidParams(QStringLiteral("The number of downloads must be 0 or more"));
    return RpcResult::ok(paged(stopped ? downloads_.stopped() : downloads_.waiting(), offset, num, keys));
}

RpcResult RpcMethods::tellWaiting(RpcParams& p)
{
    return page(p, false);
}

RpcResult RpcMethods::tellStopped(RpcParams& p)
{
    return page(p, true);
}

RpcResult RpcMethods::getOption(RpcParams& p)
{
    const QString gid = p.gid(0);
    if (p.fault())
        return *p.fault();
    if (!downloads_.status(gid))
        return notFound(gid);
    return RpcResult::ok(RpcOptionsJson::toJson(downloads_.options(gid)));
}

RpcResult RpcMethods::changeOption(RpcParams& p)
{
    const QString gid = p.gid(0);
    const QJsonObject given = p.optionalObject(1);
    if (p.fault())
        return *p.fault();
    if (!downloads_.status(gid))
        return notFound(gid);
    QString problem;
    const auto options = RpcOptionsJson::parse(given, RpcOptionsJson::Scope::Download, problem);
    if (!options)
        return RpcResult::failed(problem);
    return outcome(downloads_.changeOptions(gid, *options), QStringLiteral("OK"));
}

RpcResult RpcMethods::getGlobalOption(RpcParams&)
{
    return RpcResult::ok(RpcOptionsJson::toJson(downloads_.globalOptions()));
}

RpcResult RpcMethods::changeGlobalOption(RpcParams& p)
{
    const QJsonObject given = p.optionalObject(0);
    if (p.fault())
        return *p.fault();
    QString problem;
    const auto options = RpcOptionsJson::parse(given, RpcOptionsJson::Scope::Global, problem);
    if (!options)
        return RpcResult::failed(problem);
    return outcome(downloads_.changeGlobalOptions(*options), QStringLiteral("OK"));
}

RpcResult RpcMethods::getGlobalStat(RpcParams&)
{
    return RpcResult::ok(RpcStatusJson::globalStat(downloads_.globalStat()));
}

RpcResult RpcMethods::removeDownloadResult(RpcParams& p)
{
    const QString gid = p.gid(0);
    if (p.fault())
        return *p.fault();
    if (!downloads_.status(gid))
        return notFound(gid);
    return outcome(downloads_.removeResult(gid), QStringLiteral("OK"));
}

RpcResult RpcMethods::purgeDownloadResult(RpcParams&)
{
    downloads_.purgeResults();
    return okText();
}

RpcResult RpcMethods::getVersion(RpcParams&)
{
    const QStringList features = {QStringLiteral("HTTPS"), QStringLiteral("Message Digest")};
    return RpcResult::ok(QJsonObject {{QStringLiteral("version"), ProgramVersion()},
                                      {QStringLiteral("enabledFeatures"), QJsonArray::fromStringList(features)}});
}

RpcResult RpcMethods::getSessionInfo(RpcParams&)
{
    return RpcResult::ok(QJsonObject {{QStringLiteral("sessionId"), sessionId_}});
}

// The download list keeps itself on disk as it changes.
RpcResult RpcMethods::saveSession(RpcParams&)
{
    return okText();
}

RpcResult RpcMethods::notSupported(RpcParams&)
{
    return RpcResult::failed(
        QStringLiteral("%1 is not supported: KEVA downloads over HTTP, HTTPS and FTP only, without BitTorrent or "
                       "Metalink")
            .arg(calling_));
}
