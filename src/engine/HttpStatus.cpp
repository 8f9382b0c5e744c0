#include "engine/HttpStatus.h"

#include <QHash>

int GetStatusCode(const QString& statusLine)
{
    const qsizetype blank = statusLine.indexOf(QLatin1Char(' '));
    const QString digits = statusLine.mid(blank < 0 ? 0 : blank + 1, 3);
    bool ok = false;
    const int code = digits.toInt(&ok);
    return ok && digits.size() == 3 ? code : 0;
}

QString GetError(int code)
{
    static const QHash<int, QString> texts = {
        {400, QStringLiteral("HTTP 400-Bad Request")},
        {401, QStringLiteral("HTTP 401.x-You are not authorized to view this page")},
        {403, QStringLiteral("HTTP 403.x - Forbidden: Acess Denied")},
        {404, QStringLiteral("HTTP 404-Object Not Found")},
        {405, QStringLiteral("HTTP 405 - Resource Not Allowed")},
        {406, QStringLiteral("HTTP Error 406 - Not Acceptable")},
        {407, QStringLiteral("HTTP 407 - Proxy Authentication Required")},
        {410, QStringLiteral("'HTTP Error 410 - Permanently not available")},
        {412, QStringLiteral("HTTP 412 - Precondition Failed")},
        {414, QStringLiteral("HTTP 414 - Request - URI Too Long")},
        {500, QStringLiteral("HTTP Error 500-Server Error - The server failed to fulfill an apparently valid request")},
        {501, QStringLiteral("Error 501 - Not implemented")},
        {502, QStringLiteral("HTTP 502 - Bad Gateway")},
    };
    return texts.value(code, QStringLiteral("SUCCESS"));
}

QString HttpFailureText(int code, const QString& reason)
{
    const QString known = GetError(code);
    if (known != QStringLiteral("SUCCESS"))
        return known;
    const QString text = QStringLiteral("HTTP %1 %2").arg(code).arg(reason.trimmed());
    return text.trimmed();
}
