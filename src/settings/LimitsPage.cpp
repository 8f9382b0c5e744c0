#include "settings/LimitsPage.h"

#include "settings/SettingsPageIO.h"

void LimitsPage::show(SettingsPageIO& io)
{
    txtLimitHTTP = io.read("LimitHTTP");
    txtLimitFTP = io.read("LimitFTP");
    txtLimitAll = io.read("LimitAll");
}

void LimitsPage::store(SettingsPageIO& io) const
{
    io.write("LimitHTTP", txtLimitHTTP);
    io.write("LimitFTP", txtLimitFTP);
    io.write("LimitAll", txtLimitAll);
}
