#include "intake/ServerLimit.h"

#include "settings/DialogSettings.h"
#include "settings/SettingText.h"

int ServerLimit(const DialogSettings& settings, const QString& url)
{
    const QString scheme = url.left(3).toLower();
    const QString limit = scheme == QStringLiteral("htt") ? settings.txtLimitHTTP
        : scheme == QStringLiteral("ftp")                 ? settings.txtLimitFTP
                                                          : QStringLiteral("0");
    return SettingText::integer<int>(limit).value_or(3);
}
