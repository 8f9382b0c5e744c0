#include "settings/StartingPage.h"

#include "settings/SettingsPageIO.h"

void StartingPage::show(SettingsPageIO& io)
{
    chkStartWin = io.settings.StartupWithWindows;
}

void StartingPage::store(SettingsPageIO& io) const
{
    io.write("StartupWithWindows", chkStartWin);
}
