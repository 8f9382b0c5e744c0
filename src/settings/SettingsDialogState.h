#pragma once

#include "core/SiteLogin.h"
#include "settings/ApplyState.h"
#include "settings/ConnectionsPage.h"
#include "settings/InformationPage.h"
#include "settings/LimitsPage.h"
#include "settings/LoginsPage.h"
#include "settings/MonitoringPage.h"
#include "settings/ProxyPage.h"
#include "settings/SaveToPage.h"
#include "settings/SegmentsPage.h"
#include "settings/StartingPage.h"
#include "settings/WhenDonePage.h"

#include <QList>
#include <QString>

class KevaContext;

// What the settings dialog shows and edits, held without the window: one
// state object per page, the Apply button, and the dialog's commands. The
// values other parts read go to the context's DialogSettings when the dialog
// loads and when it stores.
class SettingsDialogState {
public:
    explicit SettingsDialogState(KevaContext& context);

    // Fills every page from the stored values (when the dialog loads).
    void ShowSettings();
    // Writes every page back to the store in one write, then Settings.ini.
    void StoreSettings();
    // Settings.ini: the last save path, the file-type table and the logins as stored.
    void SaveToINI();
    void LoadfromINI();

    // Buttons.
    void apply();  // store, reload, disable Apply
    void ok();     // store, reload, close
    void cancel(); // close without storing

    // Page commands that change a list, and so enable Apply.
    void addLogin();
    void deleteSelectedLogins();
    void addFileType();
    void removeSelectedFileType();

    // Controls with an effect of their own; each also enables Apply.
    void setClipboard(bool checked); // ClipboardMonitoring in memory at once
    void setIE(bool checked);        // click capture switched at once
    void setStartWin(bool checked);  // the session's start-up entry made or removed at once
    void setStartIE(bool checked);   // off removes the browser start's registration at once
    void setUseProxy(bool checked);
    void setLogProx(bool checked);
    void setSegment(bool checked);
    void setRpc(bool checked); // the remote-control port; the first tick makes its secret
    void chooseSaveRule(SaveToPage::Rule rule);
    void resetMonitorTypes();
    // The folder chosen through the parent folder's Browse button.
    void setParentDir(const QString& folder);

    InformationPage information;
    StartingPage starting;
    MonitoringPage monitoring;
    SaveToPage saveTo;
    ProxyPage proxy;
    ConnectionsPage connections;
    LimitsPage limits;
    LoginsPage logins;
    WhenDonePage whenDone;
    SegmentsPage segments;
    ApplyState applyState;

    // The stored logins, where the download engine looks them up.
    QList<SiteLogin>& lstLogin;

private:
    // Copies what other parts read into the context's DialogSettings.
    void holdForOtherParts();
    QString lastDirCaption() const;

    KevaContext& context_;
};
