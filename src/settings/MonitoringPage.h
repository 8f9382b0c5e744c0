#pragma once

#include <QString>

class SettingsPageIO;

// The monitoring page: clipboard and click capture, the captured file types
// and the servers left alone.
class MonitoringPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    bool chkClipboard = false;
    bool chkIE = false;
    QString txtMonitorTypes, txtMonitorServer, txtTestURL;
};
