#include "settings/SwitchClickCapture.h"

#include "settings/BrowserRegistration.h"
#include "settings/KevaContext.h"
#include "settings/SettingsStore.h"

void SwitchClickCapture(KevaContext& context, bool on)
{
    SettingsStore(context.registry).putSwitch(QStringLiteral("ClickCapture"), on);
    context.appSettings.ClickCapture = on;
    BrowserRegistration browsers(context.registry, context.programFolder, context.executablePath);
    browsers.netscapeClicks(on);
    browsers.IECapClicks(on);
}
