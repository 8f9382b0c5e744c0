#pragma once

#include <QString>

class Prompter;
class SettingsPageIO;
class TextLookup;

// The monitoring page: clipboard and click capture, the captured file types
// and the servers left alone.
class MonitoringPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    // When the file-type box loses the focus: a type holding a character that
    // no file name can hold is pointed out (the text stays as it is).
    void checkMonitorTypes(Prompter& prompter, const TextLookup& text) const;
    // The reset buttons ask first; on Yes the box gets the list the program
    // came with, and true. Nothing is stored.
    bool resetMonitorTypes(Prompter& prompter, const TextLookup& text);
    bool resetMonitorServer(Prompter& prompter, const TextLookup& text);
    // Tells whether the URL in txtTestURL is ignored by its server and
    // monitored by its file type, by the lists as they stand in the boxes.
    void testCapture(Prompter& prompter, const TextLookup& text) const;

    bool chkClipboard = false;
    bool chkIE = false;
    QString txtMonitorTypes, txtMonitorServer, txtTestURL;
};
