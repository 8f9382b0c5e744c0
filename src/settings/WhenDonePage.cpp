#include "settings/WhenDonePage.h"

#include "settings/OptionGroup.h"
#include "settings/SettingsPageIO.h"

void WhenDonePage::show(SettingsPageIO& io)
{
    io.read("PromptDone");
    chkPromptDone = io.settings.PromptDone;
    io.read("CloseDownloadWindowWhenDone");
    chkCloseWindow = io.settings.CloseDownloadWindowWhenDone;
    io.read("NotifyWhenDone");
    chkNotifyWhenDone = io.settings.NotifyWhenDone;
    io.read("AllDoneAction");
    cboAllDone = allDoneActionOf(io.settings.AllDoneAction);
    txtAllDoneCommand = io.read("AllDoneCommand");
    chkDownloadNow = io.readSwitch("DownloadNowOption");
    chkDownloadLater = io.readSwitch("DownloadLaterOption");
    chkDownloadPrompt = io.readSwitch("DownloadPromptOption");
    keepOneOption({&chkDownloadPrompt, &chkDownloadNow, &chkDownloadLater});
}

void WhenDonePage::store(SettingsPageIO& io) const
{
    io.write("PromptDone", chkPromptDone);
    io.write("CloseDownloadWindowWhenDone", chkCloseWindow);
    io.write("NotifyWhenDone", chkNotifyWhenDone);
    io.write("AllDoneAction", QString::number(static_cast<int>(cboAllDone)));
    io.write("AllDoneCommand", txtAllDoneCommand);
    io.write("DownloadNowOption", chkDownloadNow);
    io.write("DownloadLaterOption", chkDownloadLater);
    io.write("DownloadPromptOption", chkDownloadPrompt);
}
