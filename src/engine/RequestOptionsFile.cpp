#include "engine/RequestOptionsFile.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kUrl = QStringLiteral("url");
const QString kReferrer = QStringLiteral("referrer");
const QString kUserAgent = QStringLiteral("userAgent");
const QString kCookie = QStringLiteral("cookie");
const QString kFileName = QStringLiteral("fileName");
const QString kMimeType = QStringLiteral("mimeType");
const QString kHeaders = QStringLiteral("headers");
const QString kUserName = QStringLiteral("userName");
const QString kPassword = QStringLiteral("password");
const QString kChecksum = QStringLiteral("checksum");

} // namespace

QString RequestOptionsFile::pathFor(const QString& savePath)
{
    return savePath + QStringLiteral(".keva-session");
}

bool RequestOptionsFile::save(const QString& savePath, const QString& url, const RequestOptions& options)
{
    QJsonArray headers;
    for (const auto& [name, value] : options.headers)
        headers.append(QJsonArray {QString::fromUtf8(name), QString::fromUtf8(value)});
    const BrowserSession& browser = options.browser;
    QJsonObject object {
        {kUrl, url},
        {kReferrer, browser.referrer},
        {kUserAgent, browser.userAgent},
        {kCookie, browser.cookie},
        {kFileName, browser.fileName},
        {kMimeType, browser.mimeType},
        {kHeaders, headers},
        {kUserName, options.userName},
        {kPassword, options.password},
    };
    if (options.checksum)
        object.insert(kChecksum, options.checksum->toString());
    const QString path = pathFor(savePath);
    if (!AtomicFile::write(path, QJsonDocument(object).toJson(QJsonDocument::Compact), 0600))
        return false;
    // A file left by an older run keeps its mode when replaced: it is made private again.
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

std::optional<RequestOptions> RequestOptionsFile::load(const QString& savePath, const QString& url)
{
    QFile file(pathFor(savePath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    if (object.value(kUrl).toString() != url)
        return std::nullopt;
    RequestOptions options;
    options.browser = {object.value(kReferrer).toString(), object.value(kUserAgent).toString(),
                       object.value(kCookie).toString(), object.value(kFileName).toString(),
                       object.value(kMimeType).toString()};
    for (const QJsonValue& header : object.value(kHeaders).toArray()) {
        const QJsonArray pair = header.toArray();
        if (pair.size() == 2)
            options.headers.append({pair[0].toString().toUtf8(), pair[1].toString().toUtf8()});
    }
    options.userName = object.value(kUserName).toString();
    options.password = object.value(kPassword).toString();
    QString ignored; // a checksum this program wrote reads back
    if (object.contains(kChecksum))
        options.checksum = Checksum::parse(object.value(kChecksum).toString(), ignored);
    return options;
}

void RequestOptionsFile::remove(const QString& savePath)
{
    QFile::remove(pathFor(savePath));
}
