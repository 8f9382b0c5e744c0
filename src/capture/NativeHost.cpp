#include "capture/NativeHost.h"

#include "core/SplitUrl.h"

#include <QJsonDocument>
#include <QJsonParseError>

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
    const bool take = helper_.moBrowser_BeforeNavigate2(text);
    return {{QStringLiteral("answer"), take ? QStringLiteral("take") : QStringLiteral("pass")}};
}

QJsonObject NativeHost::error(const QString& why)
{
    return {{QStringLiteral("answer"), QStringLiteral("error")}, {QStringLiteral("error"), why}};
}
