#pragma once

#include "core/SiteLogin.h"
#include "settings/FileTypeFolder.h"
#include "settings/SettingText.h"

#include <QList>
#include <QString>

// The settings that other parts read from the settings dialog, as they are
// stored: filled when the dialog loads and each time it stores, so edits that
// were cancelled never reach them.
struct DialogSettings {
    QString txtMonitorTypes;
    QString txtMonitorServer;
    QString txtLimitHTTP;
    QString txtLimitFTP;
    // Downloads at once over all servers (the download queue); 0: no limit.
    QString txtLimitAll;
    int downloadsAtOnce() const { return SettingText::integer<int>(txtLimitAll).value_or(3); }
    QList<FileTypeFolder> lstFileType;
    QList<SiteLogin> lstLogin;
    // The full path last chosen in the save prompt; new prompts propose its
    // folder. Stored with the lists, read back when the dialog loads.
    QString lastSavePath;
};
