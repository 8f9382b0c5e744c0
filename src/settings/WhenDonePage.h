#pragma once

class SettingsPageIO;

// The when-done page: what happens when a download is done, and what happens
// to new downloads (one of three options).
class WhenDonePage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    bool chkPromptDone = false, chkCloseWindow = false;
    bool chkDownloadNow = false, chkDownloadLater = false, chkDownloadPrompt = true;
};
