#pragma once

#include "core/SiteLogin.h"
#include "settings/FileTypeFolder.h"

#include <QList>
#include <QString>

#include <array>

class KevaContext;

// What the settings dialog shows and edits, held without the window: every
// control's value under the control's name, and every command of the dialog.
// It also holds, for the whole run, the values that other parts read from the
// dialog: the capture lists, the download limits, the save-location choice,
// the file-type table and the login list.
class SettingsDialogState {
public:
    explicit SettingsDialogState(KevaContext& context);

    // Fills every control from the stored values (when the dialog loads).
    void ShowSettings();
    // Writes every control back to the store, then Settings.ini.
    void StoreSettings();
    // Settings.ini: the last save path, the file-type table and the logins.
    void SaveToINI();
    void LoadfromINI();

    // Buttons.
    void apply();  // store, reload, disable Apply
    void ok();     // store, reload, close
    void cancel(); // close without storing

    // Logins page.
    void addLogin();
    void deleteSelectedLogins();
    // A click on a column header (0 server, 1 user name, 2 password): sorts by
    // that column, descending when the list was ascending, else ascending.
    void sortLogins(int column);
    void setLoginSelected(int row, bool selected);
    bool isLoginSelected(int row) const;

    // "By File Type" table.
    void addFileType();
    void removeSelectedFileType();

    // Information page.
    QString lblRan, lblDownloads, lblBytes, lblLocation, lblVersion;
    // Starting page.
    bool chkStartWin = false;
    bool chkStartIE = false;
    // Monitoring page.
    bool chkClipboard = false;
    bool chkIE = false;
    QString txtMonitorTypes, txtMonitorServer, txtTestURL;
    // Save To page.
    bool optLastDir = true, optSameDir = false, optFileType = false, optFileInfo = false;
    QString lblLastDir, txtSameDir, txtFileType, txtFileTypeDir, txtParentDir;
    QList<FileTypeFolder> lstFileType;
    int lstFileTypeSelected = -1;
    bool optServer = true, optDate = false, optFileExt = false;
    // Proxy page.
    bool chkFtpPASV = false, chkUseProxy = false, chkFTPProxy = false, chkLogProx = false, chkPass = false;
    QString txtProxyServer, txtProxyPort, txtUserID, txtPass;
    // Connections page.
    QString txtTimeout;
    bool chkStopResume = false;
    QString txtTimeResume, txtTimeNoResume;
    bool chkRetry = false;
    QString txtRetryTime, txtRetries, txtRollback;
    // Kilobytes a second for all downloads together; 0: no limit.
    QString txtSpeedLimit;
    // Limits page.
    QString txtLimitHTTP, txtLimitFTP;
    // Logins page.
    QString txtLoginServer, txtLoginUsername, txtLoginPassword;
    QList<SiteLogin> lstLogin;
    bool lstLoginAscending = true;
    // When-done page.
    bool chkPromptDone = false, chkCloseWindow = false;
    bool chkDownloadNow = false, chkDownloadLater = false, chkDownloadPrompt = true;
    // Segments page: entries 1 to 9, in megabytes.
    bool chkSegment = false;
    std::array<QString, 10> txtSegment;
    // The Apply button.
    bool Command1Enabled = false;

private:
    void copySaveLocation();
    QString lastDirCaption() const;

    KevaContext& context_;
    QList<bool> lstLoginSelected_;
};
