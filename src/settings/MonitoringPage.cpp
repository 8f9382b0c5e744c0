#include "settings/MonitoringPage.h"

#include "settings/SettingText.h"
#include "settings/SettingsPageIO.h"

void MonitoringPage::show(SettingsPageIO& io)
{
    chkClipboard = io.settings.ClipboardMonitoring;
    chkIE = SettingText::isNumberOne(io.read("ClickCapture"));
    txtMonitorTypes = io.read("MonitorTypes");
    txtMonitorServer = io.read("MonitorServer");
}

void MonitoringPage::store(SettingsPageIO& io) const
{
    io.write("ClipboardMonitoring", chkClipboard);
    io.write("ClickCapture", chkIE);
    io.write("MonitorTypes", txtMonitorTypes);
    io.write("MonitorServer", txtMonitorServer);
}
