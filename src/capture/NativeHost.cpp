#include "capture/NativeHost.h"

#include "core/SplitUrl.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <array>
#include <utility>

NativeHost::NativeHost(NativeMessageChannel& channel, const CBrowserHelper& helper)
    : channel_(channel)
    , helper_(helper)
{
}

int NativeHost::run()
{
    for (;;) {
        const NativeMessageChannel::Incoming incoming = channel_.read();
        switch (incoming.status) {
        case NativeMessageChannel::Status::End: return 0;
        case NativeMessageChannel::Status::Truncated:
            channel_.write(error(QStringLiteral("the input ended inside a message")));
            return 1;
        case NativeMessageChannel::Status::TooLarge:
            channel_.write(error(QStringLiteral("a message of %1 bytes is over the limit of %2 bytes")
                                     .arg(incoming.length)
                                     .arg(NativeMessageChannel::kMaxMessageBytes)));
            return 1;
        case NativeMessageChannel::Status::Message:
            if (!channel_.write(answer(incoming.body)))
                return 1;
            break;
        }
    }
}

QJsonObject NativeHost::answer(const QByteArray& body) const
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return error(QStringLiteral("the message is not JSON: %1 at byte %2")
                         .arg(parseError.errorString())
                         .arg(parseError.offset));
    const QJsonValue url = document.object().value(QStringLiteral("url"));
    if (!document.isObject() || !url.isString())
        return error(QStringLiteral("the message is not an object with a \"url\" text"));
    // No address holds a control character or a blank; the browser keeps
    // such a download.
    const QString text = url.toString();
    if (HasControlCharacter(text) || text.contains(QLatin1Char(' ')))
        return error(QStringLiteral("the URL holds a control character or a blank"));
    BrowserSession session;
    if (const QString why = readSession(document.object(), &session); !why.isEmpty())
        return error(why);
    const bool take = helper_.moBrowser_BeforeNavigate2(text, session);
    return {{QStringLiteral("answer"), take ? QStringLiteral("take") : QStringLiteral("pass")}};
}

QString NativeHost::readSession(const QJsonObject& message, BrowserSession* session)
{
    const std::array<std::pair<QLatin1StringView, QString BrowserSession::*>, 5> fields {{
        {QLatin1StringView("referrer"), &BrowserSession::referrer},
        {QLatin1StringView("userAgent"), &BrowserSession::userAgent},
        {QLatin1StringView("cookies"), &BrowserSession::cookie},
        {QLatin1StringView("fileName"), &BrowserSession::fileName},
        {QLatin1StringView("mime"), &BrowserSession::mimeType},
    }};
    for (const auto& [name, field] : fields) {
        const QJsonValue value = message.value(name);
        if (value.isUndefined())
            continue;
        if (!value.isString())
            return QStringLiteral("\"%1\" is not a text").arg(name);
        // These become request headers: a line break would start a header
        // of the page's choosing.
        if (HasControlCharacter(value.toString()))
            return QStringLiteral("\"%1\" holds a control character").arg(name);
        session->*field = value.toString();
    }
    return {};
}

QJsonObject NativeHost::error(const QString& why)
{
    return {{QStringLiteral("answer"), QStringLiteral("error")}, {QStringLiteral("error"), why}};
}
