#pragma once

#include <QString>

class KevaContext;
class SettingsPageIO;

// The monitoring page: clipboard and click capture, the captured file types
// and the servers left alone.
class MonitoringPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    // When the file-type box loses the focus: a type holding a character that
    // no file name can hold is pointed out (the text stays as it is).
    void checkMonitorTypes(KevaContext& context) const;
    // The reset buttons ask first; on Yes the box gets the list the program
    // came with, and true. Nothing is stored.
    bool resetMonitorTypes(KevaContext& context);
    bool resetMonitorServer(KevaContext& context);
    // Tells whether the URL in txtTestURL is ignored by its server and
    // monitored by its file type, by the lists as they stand in the boxes.
    void testCapture(KevaContext& context) const;

    bool chkClipboard = false;
    bool chkIE = false;
    QString txtMonitorTypes, txtMonitorServer, txtTestURL;
};
