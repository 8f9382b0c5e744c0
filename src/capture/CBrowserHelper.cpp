#include "capture/CBrowserHelper.h"

#include "core/SplitUrl.h"
#include "intake/CaptureFilters.h"
#include "intake/HandOffTarget.h"
#include "intake/HandOffText.h"
#include "settings/CRegister.h"
#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"

CBrowserHelper::CBrowserHelper(Registry& registry, HandOff handOff)
    : registry_(registry)
    , handOff_(std::move(handOff))
{
    const auto number = SettingText::number(setting(QStringLiteral("ClickCapture"), QStringLiteral("True")));
    captureOff_ = number.has_value() && *number == 0;
}

bool CBrowserHelper::moBrowser_BeforeNavigate2(const QString& url, const BrowserSession& session) const
{
    if (captureOff_)
        return false;
    // https:// counts as http://.
    if (!HasDownloadScheme(url))
        return false;
    const QString ext = CapturedExtension(url, session, mimeTable_);
    if (ext.isEmpty() || !IsValidExt(ext))
        return false;
    if (!IsTypePermitted(ext, setting(QStringLiteral("MonitorTypes"), SettingsDefaults::kMonitorTypes)))
        return false;
    if (!IsServerPermitted(url, setting(QStringLiteral("MonitorServer"), SettingsDefaults::kMonitorServer)))
        return false;
    return handOff_(url, session);
}

bool CBrowserHelper::FindWin(const QString& url, const BrowserSession& session)
{
    const auto target = HandOffTarget::find();
    return target && HandOffTarget::setText(*target, HandOffText::compose(url, session));
}

QString CBrowserHelper::setting(const QString& name, const QString& defaultValue) const
{
    return CRegister(registry_).REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, name, defaultValue);
}
