#pragma once

class SettingsPageIO;

// The starting page: start with the desktop session, start with the browser.
class StartingPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    bool chkStartWin = false;
    bool chkStartIE = false;
};
