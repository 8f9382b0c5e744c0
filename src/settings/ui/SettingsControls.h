#pragma once

#include <QString>

#include <array>
#include <vector>

class BannerStrip;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QWidget;

// The controls of the settings dialog, under their design names, and the
// layout of its ten pages; each control that shows a caption is listed with
// its built-in text and its language key.
struct SettingsControls {
    struct Caption {
        QObject* control;
        QString builtIn;
        QString key;
    };

    // Makes the tab control in `dialog` and lays out its ten pages.
    void buildPages(QWidget* dialog);

    template <typename Control>
    Control* make(QWidget* parent, const char* name, const char* builtIn = "", const char* key = "");
    QLabel* label(QWidget* parent, const char* builtIn, const char* key);
    QWidget* page(int tab, const char* bannerKey);

    std::vector<Caption> captions_;
    QTabWidget* SSTab1 = nullptr;
    std::array<BannerStrip*, 10> banners_ {};
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;
    // Information.
    QLabel *lblRan = nullptr, *lblDownloads = nullptr, *lblBytes = nullptr, *lblLocation = nullptr,
           *lblVersion = nullptr;
    QPushButton* cmdVisitOurSite = nullptr;
    // Starting.
    QCheckBox *chkStartWin = nullptr, *chkStartIE = nullptr;
    // Monitoring.
    QCheckBox *chkClipboard = nullptr, *chkIE = nullptr;
    QLineEdit *txtMonitorTypes = nullptr, *txtMonitorServer = nullptr, *txtTestURL = nullptr;
    QPushButton *cmdMonitorTypesReset = nullptr, *cmdMonitorServerReset = nullptr, *Command6 = nullptr;
    // Save To.
    QRadioButton *optLastDir = nullptr, *optSameDir = nullptr, *optFileType = nullptr, *optFileInfo = nullptr;
    QGroupBox *frameLastDir = nullptr, *frameSameDir = nullptr, *frameFileType = nullptr, *frameFileInfo = nullptr;
    QLabel* lblLastDir = nullptr;
    QLineEdit *txtSameDir = nullptr, *txtFileType = nullptr, *txtFileTypeDir = nullptr, *txtParentDir = nullptr;
    QPushButton *cmdSameDirBrowse = nullptr, *cmdFileTypeDirBrowse = nullptr, *cmdFileTypeAdd = nullptr,
                *cmdFileTypeRemove = nullptr, *cmdParBrowse = nullptr;
    QTreeWidget* lstFileType = nullptr;
    QRadioButton *optServer = nullptr, *optDate = nullptr, *optFileExt = nullptr;
    // Proxy.
    QCheckBox *chkFtpPASV = nullptr, *chkUseProxy = nullptr, *chkFTPProxy = nullptr, *chkLogProx = nullptr,
              *chkPass = nullptr, *chkLoginReq = nullptr;
    QGroupBox *frameProxy = nullptr, *frameLoginRequired = nullptr;
    QLineEdit *txtProxyServer = nullptr, *txtProxyPort = nullptr, *txtUserID = nullptr, *txtPass = nullptr;
    // Connections.
    QLineEdit *txtTimeout = nullptr, *txtTimeResume = nullptr, *txtTimeNoResume = nullptr, *txtRetryTime = nullptr,
              *txtRetries = nullptr, *txtRollback = nullptr, *txtSpeedLimit = nullptr;
    QCheckBox *chkStopResume = nullptr, *chkRetry = nullptr;
    QGroupBox* frameRpc = nullptr;
    QCheckBox* chkRpc = nullptr;
    QLineEdit *txtRpcPort = nullptr, *txtRpcSecret = nullptr, *txtRpcAddress = nullptr, *txtRpcOrigins = nullptr;
    QPushButton* cmdRpcSecretCopy = nullptr;
    // Limits.
    QLineEdit *txtLimitHTTP = nullptr, *txtLimitFTP = nullptr, *txtLimitAll = nullptr;
    // Logins.
    QLineEdit *txtLoginServer = nullptr, *txtLoginUsername = nullptr, *txtLoginPassword = nullptr;
    QPushButton *cmdLoginAdd = nullptr, *cmdLoginDelete = nullptr, *cmdLoginShow = nullptr;
    QTreeWidget* lstLogin = nullptr;
    // When done.
    QCheckBox *chkPromptDone = nullptr, *chkCloseWindow = nullptr, *chkNotifyWhenDone = nullptr;
    // Its entries in the order of AllDoneAction.
    QComboBox* cboAllDone = nullptr;
    QLineEdit* txtAllDoneCommand = nullptr;
    QRadioButton *chkDownloadNow = nullptr, *chkDownloadLater = nullptr, *chkDownloadPrompt = nullptr;
    // Segments.
    QCheckBox* chkSegment = nullptr;
    QGroupBox* Frame11 = nullptr;
    std::array<QLineEdit*, 10> txtSegment {};
};
