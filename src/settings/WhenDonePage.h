#pragma once

#include "settings/AllDoneAction.h"

#include <QString>

class SettingsPageIO;

// The when-done page: what happens when a download is done, once every
// download has ended, and what happens to new downloads (one of three
// options).
class WhenDonePage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    // The command box counts only for the action that runs it.
    bool txtAllDoneCommandEnabled() const { return cboAllDone == AllDoneAction::RunCommand; }

    bool chkPromptDone = false, chkCloseWindow = false, chkNotifyWhenDone = true;
    AllDoneAction cboAllDone = AllDoneAction::Nothing;
    QString txtAllDoneCommand;
    bool chkDownloadNow = false, chkDownloadLater = false, chkDownloadPrompt = true;
};
