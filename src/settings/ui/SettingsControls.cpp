#include "settings/ui/SettingsControls.h"

#include "uiutil/BannerStrip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A row of widgets, left-aligned.
QHBoxLayout* row(std::initializer_list<QWidget*> widgets)
{
    auto* line = new QHBoxLayout;
    for (QWidget* widget : widgets)
        line->addWidget(widget);
    line->addStretch(1);
    return line;
}

QLineEdit* narrow(QLineEdit* box)
{
    box->setMaximumWidth(70);
    return box;
}

} // namespace

template <typename Control>
Control* SettingsControls::make(QWidget* parent, const char* name, const char* builtIn, const char* key)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    if (*builtIn || *key)
        captions_.push_back({control, QString::fromUtf8(builtIn), QString::fromLatin1(key)});
    return control;
}

QLabel* SettingsControls::label(QWidget* parent, const char* builtIn, const char* key)
{
    auto* text = new QLabel(parent);
    text->setObjectName(QStringLiteral("caption_") + QString::fromLatin1(key));
    text->setWordWrap(false);
    captions_.push_back({text, QString::fromUtf8(builtIn), QString::fromLatin1(key)});
    return text;
}

QWidget* SettingsControls::page(int tab, const char* bannerKey)
{
    auto* widget = new QWidget(SSTab1);
    auto* banner = new BannerStrip(widget);
    banner->setObjectName(tab == 0 ? QStringLiteral("asxBanner") : QStringLiteral("asxBanner%1").arg(tab + 1));
    banners_[static_cast<std::size_t>(tab)] = banner;
    captions_.push_back({banner, QString(), QString::fromLatin1(bannerKey)});
    auto* layout = new QVBoxLayout(widget);
    layout->addWidget(banner);
    SSTab1->addTab(widget, QString());
    return widget;
}

void SettingsControls::buildPages(QWidget* dialog)
{
    SSTab1 = make<QTabWidget>(dialog, "SSTab1");
    // Every tab stays in sight: the dialog is made wide enough for all ten.
    SSTab1->setUsesScrollButtons(false);

    // 1. Information.
    QWidget* p = page(0, "090100");
    auto* Frame1 = make<QGroupBox>(p, "Frame1", "Downloader Info", "090101");
    auto* info = new QGridLayout(Frame1);
    info->addWidget(label(Frame1, "Usage Stats", "090102"), 0, 0, 1, 2);
    lblRan = make<QLabel>(Frame1, "lblRan");
    lblDownloads = make<QLabel>(Frame1, "lblDownloads");
    lblBytes = make<QLabel>(Frame1, "lblBytes");
    lblLocation = make<QLabel>(Frame1, "lblLocation");
    lblLocation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblVersion = make<QLabel>(Frame1, "lblVersion");
    info->addWidget(label(Frame1, "Times Ran:", "090103"), 1, 0);
    info->addWidget(lblRan, 1, 1);
    info->addWidget(label(Frame1, "Downloaded Files:", "090104"), 2, 0);
    info->addWidget(lblDownloads, 2, 1);
    info->addWidget(label(Frame1, "Bytes Downloaded:", "090105"), 3, 0);
    info->addWidget(lblBytes, 3, 1);
    info->addWidget(label(Frame1, "Product Stats", "090106"), 4, 0, 1, 2);
    info->addWidget(label(Frame1, "Local Location:", "090107"), 5, 0);
    info->addWidget(lblLocation, 5, 1);
    info->addWidget(label(Frame1, "Version:", "090108"), 6, 0);
    info->addWidget(lblVersion, 6, 1);
    info->addWidget(label(Frame1, "Website:", "090109"), 7, 0);
    info->addWidget(make<QLabel>(Frame1, "asxLabel1", "The user guide in the program folder", "09110"), 7, 1);
    info->addWidget(label(Frame1, "Author:", "090111"), 8, 0);
    info->addWidget(make<QLabel>(Frame1, "lblAuthor", "The Quillspan developers", "090112"), 8, 1);
    cmdVisitOurSite = make<QPushButton>(Frame1, "cmdVisitOurSite", "Visit Our Site", "090116");
    info->addLayout(row({cmdVisitOurSite}), 9, 0, 1, 2);
    info->setColumnStretch(1, 1);
    p->layout()->addWidget(Frame1);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 2. Starting.
    p = page(1, "090200");
    auto* Frame2 = make<QGroupBox>(p, "Frame2", "Starting", "090201");
    auto* starting = new QVBoxLayout(Frame2);
    chkStartWin = make<QCheckBox>(Frame2, "chkStartWin", "Start Downloader when windows starts.", "090202");
    chkStartIE = make<QCheckBox>(
        Frame2, "chkStartIE",
        "Start Downloader when downloading files through Internet Explorer, Netscape, Opera or Netcaptor", "090203");
    auto* Label1 = make<QLabel>(Frame2, "Label1", "This option enables Internet Explorer Click Capturing", "090204");
    Label1->setWordWrap(true);
    starting->addWidget(chkStartWin);
    starting->addWidget(chkStartIE);
    starting->addWidget(Label1);
    p->layout()->addWidget(Frame2);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 3. Monitoring.
    p = page(2, "090300");
    auto* Frame4 = make<QGroupBox>(p, "Frame4", "Monitoring", "090301");
    auto* monitoring = new QVBoxLayout(Frame4);
    chkClipboard = make<QCheckBox>(Frame4, "chkClipboard", "Monitor clipboard for URL's to download.", "090302");
    chkIE = make<QCheckBox>(Frame4, "chkIE",
                            "Monitor clicks in Internet Explorer (4.0 or greater), Netscape, Opera or Netcaptor",
                            "090303");
    monitoring->addWidget(chkClipboard);
    monitoring->addWidget(chkIE);
    auto* Frame5 = make<QGroupBox>(p, "Frame5", "Options", "090304");
    auto* options = new QGridLayout(Frame5);
    auto* Label14 = make<QLabel>(Frame5, "Label14",
                                 "File Types to Download (seperate entries with semicolon, wildcard use question mark)",
                                 "090305");
    Label14->setWordWrap(true);
    txtMonitorTypes = make<QLineEdit>(Frame5, "txtMonitorTypes");
    cmdMonitorTypesReset = make<QPushButton>(Frame5, "cmdMonitorTypesReset", "Reset To Defaults", "090310");
    auto* Label15 = make<QLabel>(Frame5, "Label15",
                                 "Ignore Servers (seperate with semicolon, for wildcard sections use * )", "090306");
    Label15->setWordWrap(true);
    txtMonitorServer = make<QLineEdit>(Frame5, "txtMonitorServer");
    cmdMonitorServerReset = make<QPushButton>(Frame5, "cmdMonitorServerReset", "Reset To Defaults", "090310");
    auto* Label60 = make<QLabel>(
        Frame5, "Label60", "Test Settings (Use to test to see if it checks the URL correctly for you):", "090307");
    Label60->setWordWrap(true);
    txtTestURL = make<QLineEdit>(Frame5, "txtTestURL");
    Command6 = make<QPushButton>(Frame5, "Command6", "&Test", "090308");
    auto* Label59 = make<QLabel>(
        Frame5, "Label59",
        "Use caution when editing the extensions and servers.  Use Help on formatting them correctly.", "090309");
    Label59->setWordWrap(true);
    options->addWidget(Label14, 0, 0, 1, 3);
    options->addWidget(txtMonitorTypes, 1, 0, 1, 2);
    options->addWidget(cmdMonitorTypesReset, 1, 2);
    options->addWidget(Label15, 2, 0, 1, 3);
    options->addWidget(txtMonitorServer, 3, 0, 1, 2);
    options->addWidget(cmdMonitorServerReset, 3, 2);
    options->addWidget(Label60, 4, 0, 1, 3);
    options->addWidget(make<QLabel>(Frame5, "Label61", "URL:", "04003"), 5, 0);
    options->addWidget(txtTestURL, 5, 1);
    options->addWidget(Command6, 5, 2);
    options->addWidget(Label59, 6, 0, 1, 3);
    options->setColumnStretch(1, 1);
    p->layout()->addWidget(Frame4);
    p->layout()->addWidget(Frame5);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 4. Save To.
    p = page(3, "090400");
    optLastDir = make<QRadioButton>(p, "optLastDir", "Last Directory Used", "090410");
    optSameDir = make<QRadioButton>(p, "optSameDir", "Same Directory", "090420");
    optFileType = make<QRadioButton>(p, "optFileType", "By File Type", "090430");
    optFileInfo = make<QRadioButton>(p, "optFileInfo", "By File Info", "090440");
    auto* rules = new QGridLayout;
    rules->addWidget(optLastDir, 0, 0);
    rules->addWidget(optSameDir, 0, 1);
    rules->addWidget(optFileType, 1, 0);
    rules->addWidget(optFileInfo, 1, 1);
    static_cast<QVBoxLayout*>(p->layout())->addLayout(rules);
    frameLastDir = make<QGroupBox>(p, "frameLastDir");
    lblLastDir = make<QLabel>(frameLastDir, "lblLastDir");
    lblLastDir->setWordWrap(true);
    auto* lastDir = new QVBoxLayout(frameLastDir);
    lastDir->addWidget(label(frameLastDir, "Last Directory:", "090411"));
    lastDir->addWidget(lblLastDir);
    frameSameDir = make<QGroupBox>(p, "frameSameDir");
    txtSameDir = make<QLineEdit>(frameSameDir, "txtSameDir");
    cmdSameDirBrowse = make<QPushButton>(frameSameDir, "cmdSameDirBrowse", "Browse", "0904222");
    auto* sameDir = new QHBoxLayout(frameSameDir);
    sameDir->addWidget(label(frameSameDir, "Directory:", "090421"));
    sameDir->addWidget(txtSameDir, 1);
    sameDir->addWidget(cmdSameDirBrowse);
    frameFileType = make<QGroupBox>(p, "frameFileType");
    txtFileType = narrow(make<QLineEdit>(frameFileType, "txtFileType"));
    txtFileTypeDir = make<QLineEdit>(frameFileType, "txtFileTypeDir");
    cmdFileTypeDirBrowse = make<QPushButton>(frameFileType, "cmdFileTypeDirBrowse", "Browse", "090422");
    cmdFileTypeAdd = make<QPushButton>(frameFileType, "cmdFileTypeAdd", "Add", "090432");
    cmdFileTypeRemove = make<QPushButton>(frameFileType, "cmdFileTypeRemove", "Remove", "090433");
    lstFileType = make<QTreeWidget>(frameFileType, "lstFileType");
    lstFileType->setColumnCount(2);
    lstFileType->setRootIsDecorated(false);
    auto* Label21 = make<QLabel>(frameFileType, "Label21",
                                 "Note:- Last entry in this list will used to new extensions not found in the list...",
                                 "090434");
    Label21->setWordWrap(true);
    auto* fileType = new QGridLayout(frameFileType);
    auto* fileTypeLabel = label(frameFileType, "File type:", "090431");
    fileTypeLabel->setObjectName(QStringLiteral("caption_090431"));
    fileType->addWidget(fileTypeLabel, 0, 0);
    fileType->addWidget(txtFileType, 0, 1);
    auto* fileTypeDirLabel = new QLabel(frameFileType);
    fileTypeDirLabel->setObjectName(QStringLiteral("caption_090421_type"));
    captions_.push_back({fileTypeDirLabel, QStringLiteral("Directory:"), QStringLiteral("090421")});
    fileType->addWidget(fileTypeDirLabel, 0, 2);
    fileType->addWidget(txtFileTypeDir, 0, 3);
    fileType->addWidget(cmdFileTypeDirBrowse, 0, 4);
    fileType->addLayout(row({cmdFileTypeAdd, cmdFileTypeRemove}), 1, 0, 1, 5);
    fileType->addWidget(lstFileType, 2, 0, 1, 5);
    fileType->addWidget(Label21, 3, 0, 1, 5);
    fileType->setColumnStretch(3, 1);
    frameFileInfo = make<QGroupBox>(p, "frameFileInfo");
    txtParentDir = make<QLineEdit>(frameFileInfo, "txtParentDir");
    cmdParBrowse = make<QPushButton>(frameFileInfo, "cmdParBrowse", "Browse");
    optServer = make<QRadioButton>(frameFileInfo, "optServer", "Server Name (Excluding www. and ftp.)", "090443");
    optDate = make<QRadioButton>(frameFileInfo, "optDate", "Current Date (Day-Monyh-Year)", "090444");
    optFileExt = make<QRadioButton>(frameFileInfo, "optFileExt", "File Extension Type", "090445");
    auto* fileInfo = new QGridLayout(frameFileInfo);
    fileInfo->addWidget(label(frameFileInfo, "Parent Directory:", "090441"), 0, 0);
    fileInfo->addWidget(txtParentDir, 0, 1);
    fileInfo->addWidget(cmdParBrowse, 0, 2);
    fileInfo->addWidget(label(frameFileInfo, "Generate Sub Directory from:", "090442"), 1, 0, 1, 3);
    fileInfo->addWidget(optServer, 2, 0, 1, 3);
    fileInfo->addWidget(optDate, 3, 0, 1, 3);
    fileInfo->addWidget(optFileExt, 4, 0, 1, 3);
    fileInfo->setColumnStretch(1, 1);
    for (QGroupBox* frame : {frameLastDir, frameSameDir, frameFileType, frameFileInfo})
        p->layout()->addWidget(frame);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 5. Proxy.
    p = page(4, "090500");
    chkFtpPASV = make<QCheckBox>(p, "chkFtpPASV", "Use PASV Mode for FTP Transfers", "090501");
    chkUseProxy = make<QCheckBox>(p, "chkUseProxy", "Use Proxy Server", "090502");
    frameProxy = make<QGroupBox>(p, "frameProxy", "Proxy Settings", "090503");
    txtProxyServer = make<QLineEdit>(frameProxy, "txtProxyServer");
    txtProxyPort = narrow(make<QLineEdit>(frameProxy, "txtProxyPort"));
    chkFTPProxy = make<QCheckBox>(frameProxy, "chkFTPProxy", "Use HTTP Proxy For FTP Addresses", "090506");
    auto* proxyBox = new QGridLayout(frameProxy);
    proxyBox->addWidget(label(frameProxy, "Server:", "090504"), 0, 0);
    proxyBox->addWidget(txtProxyServer, 0, 1);
    proxyBox->addWidget(label(frameProxy, "Port:", "090505"), 0, 2);
    proxyBox->addWidget(txtProxyPort, 0, 3);
    proxyBox->addWidget(chkFTPProxy, 1, 0, 1, 4);
    proxyBox->setColumnStretch(1, 1);
    chkLoginReq = make<QCheckBox>(p, "chkLoginReq", "Login Required", "090511");
    frameLoginRequired = make<QGroupBox>(p, "frameLoginRequired", "Login", "090507");
    chkLogProx = make<QCheckBox>(frameLoginRequired, "chkLogProx", "Login to HTTP proxy server", "090508");
    txtUserID = make<QLineEdit>(frameLoginRequired, "txtUserID");
    chkPass = make<QCheckBox>(frameLoginRequired, "chkPass", "Password", "090510");
    txtPass = make<QLineEdit>(frameLoginRequired, "txtPass");
    txtPass->setEchoMode(QLineEdit::Password);
    auto* login = new QGridLayout(frameLoginRequired);
    login->addWidget(chkLogProx, 0, 0, 1, 2);
    login->addWidget(label(frameLoginRequired, "Username:", "090509"), 1, 0);
    login->addWidget(txtUserID, 1, 1);
    login->addWidget(chkPass, 2, 0);
    login->addWidget(txtPass, 2, 1);
    login->setColumnStretch(1, 1);
    for (QWidget* widget :
         std::initializer_list<QWidget*> {chkFtpPASV, chkUseProxy, frameProxy, chkLoginReq, frameLoginRequired})
        p->layout()->addWidget(widget);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 6. Connections.
    p = page(5, "090600");
    auto* Frame6 = make<QGroupBox>(p, "Frame6", "Timeouts", "090601");
    txtTimeout = narrow(make<QLineEdit>(Frame6, "txtTimeout"));
    chkStopResume = make<QCheckBox>(Frame6, "chkStopResume", "Stop and Resume if no data recieved...", "090604");
    txtTimeResume = narrow(make<QLineEdit>(Frame6, "txtTimeResume"));
    txtTimeNoResume = narrow(make<QLineEdit>(Frame6, "txtTimeNoResume"));
    auto* timeouts = new QVBoxLayout(Frame6);
    timeouts->addLayout(row({label(Frame6, "Timeout Connection Attempt After", "090602"), txtTimeout,
                             label(Frame6, "seconds.", "090603")}));
    timeouts->addWidget(chkStopResume);
    auto* Label42 = make<QLabel>(Frame6, "Label42", "", "090605");
    auto* Label44 = make<QLabel>(Frame6, "Label44", "", "090605");
    timeouts->addLayout(row({Label42, txtTimeResume, label(Frame6, "minutes if server can resume.", "090606")}));
    timeouts->addLayout(
        row({Label44, txtTimeNoResume, label(Frame6, "minutes if server does not support resume.", "090607")}));
    auto* Frame7 = make<QGroupBox>(p, "Frame7", "Retrying", "090608");
    chkRetry = make<QCheckBox>(Frame7, "chkRetry", "Retry after timeout or log in error (server is busy).", "090609");
    txtRetryTime = narrow(make<QLineEdit>(Frame7, "txtRetryTime"));
    txtRetries = narrow(make<QLineEdit>(Frame7, "txtRetries"));
    auto* retrying = new QVBoxLayout(Frame7);
    retrying->addWidget(chkRetry);
    retrying->addLayout(
        row({label(Frame7, "Try after", "090610"), txtRetryTime, label(Frame7, "seconds up to", "090611"), txtRetries,
             label(Frame7, "times before quiting.", "090612")}));
    auto* Frame8 = make<QGroupBox>(p, "Frame8", "Miscellaneous", "090613");
    txtRollback = narrow(make<QLineEdit>(Frame8, "txtRollback"));
    txtSpeedLimit = narrow(make<QLineEdit>(Frame8, "txtSpeedLimit"));
    auto* misc = new QVBoxLayout(Frame8);
    misc->addLayout(
        row({label(Frame8, "Rollback", "090614"), txtRollback, label(Frame8, "K on resuming download.", "090615")}));
    auto* speedBefore = make<QLabel>(Frame8, "lblSpeedLimit", "Limit all downloads to", "090616");
    auto* speedAfter = make<QLabel>(Frame8, "lblSpeedLimitUnit", "KB a second (0: no limit).", "090617");
    misc->addLayout(row({speedBefore, txtSpeedLimit, speedAfter}));
    frameRpc = make<QGroupBox>(p, "frameRpc", "Remote control", "090618");
    chkRpc = make<QCheckBox>(frameRpc, "chkRpc", "Allow remote control (JSON-RPC)", "090619");
    txtRpcPort = narrow(make<QLineEdit>(frameRpc, "txtRpcPort"));
    txtRpcAddress = make<QLineEdit>(frameRpc, "txtRpcAddress");
    txtRpcSecret = make<QLineEdit>(frameRpc, "txtRpcSecret");
    txtRpcSecret->setReadOnly(true);
    cmdRpcSecretCopy = make<QPushButton>(frameRpc, "cmdRpcSecretCopy", "Copy", "090623");
    txtRpcOrigins = make<QLineEdit>(frameRpc, "txtRpcOrigins");
    auto* remote = new QGridLayout(frameRpc);
    remote->addWidget(chkRpc, 0, 0, 1, 3);
    remote->addWidget(label(frameRpc, "Listen on", "090620"), 1, 0);
    remote->addLayout(row({txtRpcAddress, label(frameRpc, "port", "090621"), txtRpcPort}), 1, 1, 1, 2);
    remote->addWidget(label(frameRpc, "Secret", "090622"), 2, 0);
    remote->addWidget(txtRpcSecret, 2, 1);
    remote->addWidget(cmdRpcSecretCopy, 2, 2);
    remote->addWidget(label(frameRpc, "Web pages allowed (origins, separated by spaces)", "090624"), 3, 0, 1, 3);
    remote->addWidget(txtRpcOrigins, 4, 0, 1, 3);
    remote->setColumnStretch(1, 1);
    for (QGroupBox* frame : {Frame6, Frame7, Frame8, frameRpc})
        p->layout()->addWidget(frame);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 7. Limits.
    p = page(6, "090700");
    auto* Frame9 = make<QGroupBox>(p, "Frame9", "Automatic Downloading", "090701");
    txtLimitHTTP = narrow(make<QLineEdit>(Frame9, "txtLimitHTTP"));
    txtLimitFTP = narrow(make<QLineEdit>(Frame9, "txtLimitFTP"));
    auto* limitsBox = new QVBoxLayout(Frame9);
    limitsBox->addLayout(row({label(Frame9, "Up to", "090702"), txtLimitHTTP,
                              label(Frame9, "files from a specific HTTP server at same time.", "090703")}));
    auto* upTo = new QLabel(Frame9);
    upTo->setObjectName(QStringLiteral("caption_090702_ftp"));
    captions_.push_back({upTo, QStringLiteral("Up to"), QStringLiteral("090702")});
    limitsBox->addLayout(
        row({upTo, txtLimitFTP, label(Frame9, "files from a specific FTP server at same time.", "090704")}));
    auto* note = label(Frame9, "The file will be added to list without downloading if limits have been exceeded",
                       "090705");
    note->setWordWrap(true);
    limitsBox->addWidget(note);
    // Over all servers: more downloads wait in the queue, in list order.
    txtLimitAll = narrow(make<QLineEdit>(Frame9, "txtLimitAll"));
    limitsBox->addLayout(row({label(Frame9, "Download at most", "090706"), txtLimitAll,
                              label(Frame9, "files at once (0: no limit).", "090707")}));
    p->layout()->addWidget(Frame9);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 8. Logins.
    p = page(7, "090800");
    auto* loginsNote = label(
        p, "These login accounts will be used during a transfer that uses the specified server in the list.", "090801");
    loginsNote->setWordWrap(true);
    txtLoginServer = make<QLineEdit>(p, "txtLoginServer");
    txtLoginUsername = make<QLineEdit>(p, "txtLoginUsername");
    txtLoginPassword = make<QLineEdit>(p, "txtLoginPassword");
    txtLoginPassword->setEchoMode(QLineEdit::Password);
    // The password shows only while this button is held down.
    cmdLoginShow = make<QPushButton>(p, "cmdLoginShow", "Show", "090803");
    QObject::connect(cmdLoginShow, &QPushButton::pressed, txtLoginPassword,
                     [box = txtLoginPassword] { box->setEchoMode(QLineEdit::Normal); });
    QObject::connect(cmdLoginShow, &QPushButton::released, txtLoginPassword,
                     [box = txtLoginPassword] { box->setEchoMode(QLineEdit::Password); });
    cmdLoginAdd = make<QPushButton>(p, "cmdLoginAdd", "Add", "090432");
    cmdLoginDelete = make<QPushButton>(p, "cmdLoginDelete", "Delete", "090433");
    lstLogin = make<QTreeWidget>(p, "lstLogin");
    lstLogin->setColumnCount(3);
    lstLogin->setRootIsDecorated(false);
    lstLogin->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* loginBoxes = new QGridLayout;
    auto* serverLabel = new QLabel(p);
    serverLabel->setObjectName(QStringLiteral("caption_090504_login"));
    captions_.push_back({serverLabel, QStringLiteral("Server:"), QStringLiteral("090504")});
    auto* userLabel = new QLabel(p);
    userLabel->setObjectName(QStringLiteral("caption_090509_login"));
    captions_.push_back({userLabel, QStringLiteral("Username:"), QStringLiteral("090509")});
    auto* passLabel = new QLabel(p);
    passLabel->setObjectName(QStringLiteral("caption_090510_login"));
    captions_.push_back({passLabel, QStringLiteral("Password:"), QStringLiteral("090510")});
    loginBoxes->addWidget(serverLabel, 0, 0);
    loginBoxes->addWidget(txtLoginServer, 0, 1);
    loginBoxes->addWidget(userLabel, 1, 0);
    loginBoxes->addWidget(txtLoginUsername, 1, 1);
    loginBoxes->addWidget(passLabel, 2, 0);
    loginBoxes->addWidget(txtLoginPassword, 2, 1);
    loginBoxes->addWidget(cmdLoginShow, 2, 2);
    loginBoxes->addLayout(row({cmdLoginAdd, cmdLoginDelete}), 3, 0, 1, 3);
    p->layout()->addWidget(loginsNote);
    static_cast<QVBoxLayout*>(p->layout())->addLayout(loginBoxes);
    p->layout()->addWidget(lstLogin);

    // 9. When done.
    p = page(8, "090900");
    chkPromptDone = make<QCheckBox>(p, "chkPromptDone", "Bring up prompt telling me download is done.", "090901");
    chkCloseWindow = make<QCheckBox>(p, "chkCloseWindow", "Close download window.", "090902");
    chkNotifyWhenDone = make<QCheckBox>(p, "chkNotifyWhenDone", "Show a desktop notification when a download ends",
                                        "090908");
    cboAllDone = make<QComboBox>(p, "cboAllDone");
    cboAllDone->addItems({QString(), QString(), QString(), QString()});
    txtAllDoneCommand = make<QLineEdit>(p, "txtAllDoneCommand");
    auto* lblAllDoneCommand = make<QLabel>(p, "lblAllDoneCommand", "Command (given the file's path):", "090914");
    auto* Frame10 = make<QGroupBox>(p, "Frame10", "When New Downloads Added", "090903");
    chkDownloadNow = make<QRadioButton>(Frame10, "chkDownloadNow", "Start Downloading Immediately", "090904");
    chkDownloadLater = make<QRadioButton>(Frame10, "chkDownloadLater", "Add to list but do not start downloading.",
                                          "090905");
    chkDownloadPrompt = make<QRadioButton>(Frame10, "chkDownloadPrompt", "Ask to download now or later.", "090906");
    auto* added = new QVBoxLayout(Frame10);
    for (QRadioButton* option : {chkDownloadNow, chkDownloadLater, chkDownloadPrompt})
        added->addWidget(option);
    p->layout()->addWidget(label(p, "When Download is done:-", "090907"));
    p->layout()->addWidget(chkPromptDone);
    p->layout()->addWidget(chkCloseWindow);
    p->layout()->addWidget(chkNotifyWhenDone);
    auto* allDone = new QGridLayout;
    allDone->addWidget(label(p, "When every download has ended:", "090909"), 0, 0);
    allDone->addWidget(cboAllDone, 0, 1, Qt::AlignLeading);
    allDone->addWidget(lblAllDoneCommand, 1, 0);
    allDone->addWidget(txtAllDoneCommand, 1, 1);
    allDone->setColumnStretch(1, 1);
    static_cast<QVBoxLayout*>(p->layout())->addLayout(allDone);
    p->layout()->addWidget(Frame10);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 10. Segments.
    p = page(9, "091000");
    chkSegment = make<QCheckBox>(p, "chkSegment",
                                 "Auto Segment the file using multiple connection streams to accelerate the download.",
                                 "091001");
    Frame11 = make<QGroupBox>(p, "Frame11", "Segment Settings", "091002");
    auto* table = new QGridLayout(Frame11);
    for (std::size_t i = 1; i <= 9; ++i)
        txtSegment[i] = narrow(make<QLineEdit>(Frame11, QStringLiteral("txtSegment%1").arg(i).toLatin1().constData()));
    // lblSegment(0..13): per line "Use", the count and "segments if file is", then "MB  to".
    const char* countKeys[] = {"091004", "091005", "091006", "091007"};
    int lbl = 0;
    const auto segmentLabel = [&](const char* builtIn, const char* key) {
        auto* text = new QLabel(Frame11);
        text->setObjectName(QStringLiteral("lblSegment%1").arg(lbl++));
        captions_.push_back({text, QString::fromUtf8(builtIn), QString::fromLatin1(key)});
        return text;
    };
    for (int line = 0; line < 4; ++line) {
        const QString builtIn = QStringLiteral("Use %1").arg(line + 2);
        table->addWidget(segmentLabel(builtIn.toUtf8().constData(), countKeys[line]), line, 0);
        table->addWidget(segmentLabel("segments if file is", "091010"), line, 1);
        table->addWidget(txtSegment[static_cast<std::size_t>(2 * line + 1)], line, 2);
        table->addWidget(segmentLabel("MB  to", "091003"), line, 3);
        table->addWidget(txtSegment[static_cast<std::size_t>(2 * line + 2)], line, 4);
    }
    table->addWidget(segmentLabel("Use 6 segments if file is", "091008"), 4, 0);
    table->addWidget(txtSegment[9], 4, 2);
    table->addWidget(segmentLabel("MB  or greater.", "091009"), 4, 3, 1, 2);
    table->setColumnStretch(5, 1);
    p->layout()->addWidget(chkSegment);
    p->layout()->addWidget(Frame11);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);
}
