#include "intake/HandOffText.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <utility>

namespace {

// Each field of the session with its name in the text.
std::array<std::pair<QLatin1StringView, QString BrowserSession::*>, 5> fields()
{
    return {{
        {QLatin1StringView("referrer"), &BrowserSession::referrer},
        {QLatin1StringView("userAgent"), &BrowserSession::userAgent},
        {QLatin1StringView("cookie"), &BrowserSession::cookie},
        {QLatin1StringView("fileName"), &BrowserSession::fileName},
        {QLatin1StringView("mimeType"), &BrowserSession::mimeType},
    }};
}

} // namespace

QString HandOffText::compose(const QString& url, const BrowserSession& session)
{
    if (session.isEmpty())
        return url;
    QJsonObject object;
    for (const auto& [name, field] : fields()) {
        if (!(session.*field).isEmpty())
            object.insert(name, session.*field);
    }
    return url + QLatin1Char('\n') + QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

HandOffText::Parsed HandOffText::parse(const QString& text)
{
    const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'));
    if (lineFeed < 0)
        return {text, {}};
    Parsed parsed {text.left(lineFeed), {}};
    const QJsonDocument document = QJsonDocument::fromJson(text.mid(lineFeed + 1).toUtf8());
    const QJsonObject object = document.object();
    for (const auto& [name, field] : fields())
        parsed.session.*field = object.value(name).toString();
    return parsed;
}
