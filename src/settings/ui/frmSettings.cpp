#include "settings/ui/frmSettings.h"

#include "intake/FolderChooserState.h"
#include "intake/ui/frmDir.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDialogState.h"
#include "uiutil/BannerStrip.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

void setCaption(QObject* control, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(text);
}

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

frmSettings::frmSettings(KevaContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    setObjectName(QStringLiteral("frmSettings"));
    captions_.push_back({this, QStringLiteral("Settings"), QStringLiteral("090000")});
    SSTab1 = make<QTabWidget>(this, "SSTab1");
    // Every tab stays in sight: the dialog is made wide enough for all ten.
    SSTab1->setUsesScrollButtons(false);
    buildPages();
    Command3 = make<QPushButton>(this, "Command3", "OK", "02006");
    Command3->setDefault(true);
    Command2 = make<QPushButton>(this, "Command2", "&Cancel", "05004");
    Command1 = make<QPushButton>(this, "Command1", "&Apply", "090002");
    Command4 = make<QPushButton>(this, "Command4", "&Help", "01040");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {Command3, Command2, Command1, Command4})
        buttons->addWidget(button);
    auto* body = new QVBoxLayout(this);
    body->addWidget(SSTab1);
    body->addLayout(buttons);
    connectControls();
    applyCaptions();
    refresh();
}

template <typename Control>
Control* frmSettings::make(QWidget* parent, const char* name, const char* builtIn, const char* key)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    if (*builtIn || *key)
        captions_.push_back({control, QString::fromUtf8(builtIn), QString::fromLatin1(key)});
    return control;
}

QLabel* frmSettings::label(QWidget* parent, const char* builtIn, const char* key)
{
    auto* text = new QLabel(parent);
    text->setObjectName(QStringLiteral("caption_") + QString::fromLatin1(key));
    text->setWordWrap(false);
    captions_.push_back({text, QString::fromUtf8(builtIn), QString::fromLatin1(key)});
    return text;
}

QWidget* frmSettings::page(int tab, const char* bannerKey)
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

void frmSettings::buildPages()
{
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
                            "Monitor clicks in Internet Explorer (4.0 or greater), Netscape, Opera or Netcaptor", "090303");
    monitoring->addWidget(chkClipboard);
    monitoring->addWidget(chkIE);
    auto* Frame5 = make<QGroupBox>(p, "Frame5", "Options", "090304");
    auto* options = new QGridLayout(Frame5);
    auto* Label14 = make<QLabel>(
        Frame5, "Label14", "File Types to Download (seperate entries with semicolon, wildcard use question mark)", "090305");
    Label14->setWordWrap(true);
    txtMonitorTypes = make<QLineEdit>(Frame5, "txtMonitorTypes");
    cmdMonitorTypesReset = make<QPushButton>(Frame5, "cmdMonitorTypesReset", "Reset To Defaults");
    auto* Label15 = make<QLabel>(Frame5, "Label15",
                                 "Ignore Servers (seperate with semicolon, for wildcard sections use * )", "090306");
    Label15->setWordWrap(true);
    txtMonitorServer = make<QLineEdit>(Frame5, "txtMonitorServer");
    cmdMonitorServerReset = make<QPushButton>(Frame5, "cmdMonitorServerReset", "Reset To Defaults");
    auto* Label60 = make<QLabel>(Frame5, "Label60",
                                 "Test Settings (Use to test to see if it checks the URL correctly for you):", "090307");
    Label60->setWordWrap(true);
    txtTestURL = make<QLineEdit>(Frame5, "txtTestURL");
    Command6 = make<QPushButton>(Frame5, "Command6", "&Test", "090308");
    auto* Label59 = make<QLabel>(
        Frame5, "Label59", "Use caution when editing the extensions and servers.  Use Help on formatting them correctly.",
        "090309");
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
    lstFileType->setHeaderLabels({QStringLiteral("File Type"), QStringLiteral("Directory")});
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
    chkLoginReq = make<QCheckBox>(p, "chkLoginReq", "Login Required");
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
    for (QWidget* widget : std::initializer_list<QWidget*> {chkFtpPASV, chkUseProxy, frameProxy, chkLoginReq,
                                                            frameLoginRequired})
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
    retrying->addLayout(row({label(Frame7, "Try after", "090610"), txtRetryTime, label(Frame7, "seconds up to", "090611"),
                             txtRetries, label(Frame7, "times before quiting.", "090612")}));
    auto* Frame8 = make<QGroupBox>(p, "Frame8", "Miscellaneous", "090613");
    txtRollback = narrow(make<QLineEdit>(Frame8, "txtRollback"));
    txtSpeedLimit = narrow(make<QLineEdit>(Frame8, "txtSpeedLimit"));
    auto* misc = new QVBoxLayout(Frame8);
    misc->addLayout(row({label(Frame8, "Rollback", "090614"), txtRollback, label(Frame8, "K on resuming download.", "090615")}));
    auto* speedBefore = make<QLabel>(Frame8, "lblSpeedLimit", "Limit all downloads to");
    auto* speedAfter = make<QLabel>(Frame8, "lblSpeedLimitUnit", "KB a second (0: no limit).");
    misc->addLayout(row({speedBefore, txtSpeedLimit, speedAfter}));
    for (QGroupBox* frame : {Frame6, Frame7, Frame8})
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
    auto* note = label(Frame9, "The file will be added to list without downloading if limits have been exceeded", "090705");
    note->setWordWrap(true);
    limitsBox->addWidget(note);
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
    cmdLoginAdd = make<QPushButton>(p, "cmdLoginAdd", "Add", "090432");
    cmdLoginDelete = make<QPushButton>(p, "cmdLoginDelete", "Delete", "090433");
    lstLogin = make<QTreeWidget>(p, "lstLogin");
    lstLogin->setHeaderLabels({QStringLiteral("Server"), QStringLiteral("Username"), QStringLiteral("Password")});
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
    loginBoxes->addLayout(row({cmdLoginAdd, cmdLoginDelete}), 3, 0, 1, 2);
    p->layout()->addWidget(loginsNote);
    static_cast<QVBoxLayout*>(p->layout())->addLayout(loginBoxes);
    p->layout()->addWidget(lstLogin);

    // 9. When done.
    p = page(8, "090900");
    chkPromptDone = make<QCheckBox>(p, "chkPromptDone", "Bring up prompt telling me download is done.", "090901");
    chkCloseWindow = make<QCheckBox>(p, "chkCloseWindow", "Close download window.", "090902");
    auto* Frame10 = make<QGroupBox>(p, "Frame10", "When New Downloads Added", "090903");
    chkDownloadNow = make<QRadioButton>(Frame10, "chkDownloadNow", "Start Downloading Immediately", "090904");
    chkDownloadLater = make<QRadioButton>(Frame10, "chkDownloadLater", "Add to list but do not start downloading.", "090905");
    chkDownloadPrompt = make<QRadioButton>(Frame10, "chkDownloadPrompt", "Ask to download now or later.", "090906");
    auto* added = new QVBoxLayout(Frame10);
    for (QRadioButton* option : {chkDownloadNow, chkDownloadLater, chkDownloadPrompt})
        added->addWidget(option);
    p->layout()->addWidget(label(p, "When Download is done:-", "090907"));
    p->layout()->addWidget(chkPromptDone);
    p->layout()->addWidget(chkCloseWindow);
    p->layout()->addWidget(Frame10);
    static_cast<QVBoxLayout*>(p->layout())->addStretch(1);

    // 10. Segments.
    p = page(9, "091000");
    chkSegment = make<QCheckBox>(
        p, "chkSegment", "Auto Segment the file using multiple connection streams to accelerate the download.", "091001");
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

SettingsDialogState& frmSettings::state() const
{
    return context_.frmSettings();
}

void frmSettings::connectControls()
{
    // Boxes whose edits go into a text field of the state; some enable Apply.
    const auto onEdit = [this](QLineEdit* box, QString& (*field)(SettingsDialogState&), bool enablesApply) {
        connect(box, &QLineEdit::textEdited, this, [this, field, enablesApply](const QString& text) {
            field(state()) = text;
            if (enablesApply)
                state().applyState.changed();
            refresh();
        });
    };
    const struct {
        QLineEdit* box;
        QString& (*field)(SettingsDialogState&);
        bool enablesApply;
    } edits[] = {
        {txtMonitorTypes, [](SettingsDialogState& s) -> QString& { return s.monitoring.txtMonitorTypes; }, true},
        {txtMonitorServer, [](SettingsDialogState& s) -> QString& { return s.monitoring.txtMonitorServer; }, false},
        {txtTestURL, [](SettingsDialogState& s) -> QString& { return s.monitoring.txtTestURL; }, false},
        {txtSameDir, [](SettingsDialogState& s) -> QString& { return s.saveTo.txtSameDir; }, false},
        {txtFileType, [](SettingsDialogState& s) -> QString& { return s.saveTo.txtFileType; }, false},
        {txtFileTypeDir, [](SettingsDialogState& s) -> QString& { return s.saveTo.txtFileTypeDir; }, false},
        {txtParentDir, [](SettingsDialogState& s) -> QString& { return s.saveTo.txtParentDir; }, false},
        {txtProxyServer, [](SettingsDialogState& s) -> QString& { return s.proxy.txtProxyServer; }, true},
        {txtProxyPort, [](SettingsDialogState& s) -> QString& { return s.proxy.txtProxyPort; }, true},
        {txtUserID, [](SettingsDialogState& s) -> QString& { return s.proxy.txtUserID; }, true},
        {txtPass, [](SettingsDialogState& s) -> QString& { return s.proxy.txtPass; }, true},
        {txtTimeout, [](SettingsDialogState& s) -> QString& { return s.connections.txtTimeout; }, true},
        {txtTimeResume, [](SettingsDialogState& s) -> QString& { return s.connections.txtTimeResume; }, true},
        {txtTimeNoResume, [](SettingsDialogState& s) -> QString& { return s.connections.txtTimeNoResume; }, true},
        {txtRetryTime, [](SettingsDialogState& s) -> QString& { return s.connections.txtRetryTime; }, true},
        {txtRetries, [](SettingsDialogState& s) -> QString& { return s.connections.txtRetries; }, true},
        {txtRollback, [](SettingsDialogState& s) -> QString& { return s.connections.txtRollback; }, true},
        {txtSpeedLimit, [](SettingsDialogState& s) -> QString& { return s.connections.txtSpeedLimit; }, true},
        {txtLimitHTTP, [](SettingsDialogState& s) -> QString& { return s.limits.txtLimitHTTP; }, true},
        {txtLimitFTP, [](SettingsDialogState& s) -> QString& { return s.limits.txtLimitFTP; }, true},
        {txtLoginServer, [](SettingsDialogState& s) -> QString& { return s.logins.txtLoginServer; }, false},
        {txtLoginUsername, [](SettingsDialogState& s) -> QString& { return s.logins.txtLoginUsername; }, false},
        {txtLoginPassword, [](SettingsDialogState& s) -> QString& { return s.logins.txtLoginPassword; }, false},
    };
    for (const auto& edit : edits)
        onEdit(edit.box, edit.field, edit.enablesApply);
    for (std::size_t i = 1; i <= 9; ++i) {
        connect(txtSegment[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            state().segments.txtSegment[i] = text;
            state().applyState.changed();
            refresh();
        });
    }

    // Boxes and options whose clicks set a switch of the state and enable Apply.
    const struct {
        QAbstractButton* box;
        void (*set)(SettingsDialogState&, bool);
    } clicks[] = {
        {chkCloseWindow, [](SettingsDialogState& s, bool on) { s.whenDone.chkCloseWindow = on; }},
        {chkPromptDone, [](SettingsDialogState& s, bool on) { s.whenDone.chkPromptDone = on; }},
        {chkFtpPASV, [](SettingsDialogState& s, bool on) { s.proxy.chkFtpPASV = on; }},
        {chkFTPProxy, [](SettingsDialogState& s, bool on) { s.proxy.chkFTPProxy = on; }},
        {chkRetry, [](SettingsDialogState& s, bool on) { s.connections.chkRetry = on; }},
        {chkStopResume, [](SettingsDialogState& s, bool on) { s.connections.chkStopResume = on; }},
        {chkStartWin, [](SettingsDialogState& s, bool on) { s.starting.chkStartWin = on; }},
        {chkStartIE, [](SettingsDialogState& s, bool on) { s.starting.chkStartIE = on; }},
        {chkDownloadNow, [](SettingsDialogState& s, bool) {
             s.whenDone.chkDownloadNow = true;
             s.whenDone.chkDownloadLater = s.whenDone.chkDownloadPrompt = false;
         }},
        {chkDownloadLater, [](SettingsDialogState& s, bool) {
             s.whenDone.chkDownloadLater = true;
             s.whenDone.chkDownloadNow = s.whenDone.chkDownloadPrompt = false;
         }},
        {chkDownloadPrompt, [](SettingsDialogState& s, bool) {
             s.whenDone.chkDownloadPrompt = true;
             s.whenDone.chkDownloadNow = s.whenDone.chkDownloadLater = false;
         }},
        {optServer, [](SettingsDialogState& s, bool) {
             s.saveTo.optServer = true;
             s.saveTo.optDate = s.saveTo.optFileExt = false;
         }},
        {optDate, [](SettingsDialogState& s, bool) {
             s.saveTo.optDate = true;
             s.saveTo.optServer = s.saveTo.optFileExt = false;
         }},
        {optFileExt, [](SettingsDialogState& s, bool) {
             s.saveTo.optFileExt = true;
             s.saveTo.optServer = s.saveTo.optDate = false;
         }},
    };
    for (const auto& click : clicks) {
        connect(click.box, &QAbstractButton::clicked, this, [this, set = click.set](bool checked) {
            set(state(), checked);
            state().applyState.changed();
            refresh();
        });
    }

    // Controls with an effect of their own: the state's commands.
    using Rule = SaveToPage::Rule;
    const struct {
        QAbstractButton* button;
        void (*run)(SettingsDialogState&, bool);
    } commands[] = {
        {chkClipboard, [](SettingsDialogState& s, bool on) { s.setClipboard(on); }},
        {chkIE, [](SettingsDialogState& s, bool on) { s.setIE(on); }},
        {chkUseProxy, [](SettingsDialogState& s, bool on) { s.setUseProxy(on); }},
        {chkLogProx, [](SettingsDialogState& s, bool on) { s.setLogProx(on); }},
        {chkPass, [](SettingsDialogState& s, bool on) { s.proxy.setPass(on); }},
        {chkLoginReq, [](SettingsDialogState& s, bool on) { s.proxy.setLoginReq(on); }},
        {chkSegment, [](SettingsDialogState& s, bool on) { s.setSegment(on); }},
        {optLastDir, [](SettingsDialogState& s, bool) { s.chooseSaveRule(Rule::LastDir); }},
        {optSameDir, [](SettingsDialogState& s, bool) { s.chooseSaveRule(Rule::SameDir); }},
        {optFileType, [](SettingsDialogState& s, bool) { s.chooseSaveRule(Rule::FileType); }},
        {optFileInfo, [](SettingsDialogState& s, bool) { s.chooseSaveRule(Rule::FileInfo); }},
        {cmdFileTypeAdd, [](SettingsDialogState& s, bool) { s.addFileType(); }},
        {cmdFileTypeRemove, [](SettingsDialogState& s, bool) { s.removeSelectedFileType(); }},
        {cmdLoginAdd, [](SettingsDialogState& s, bool) { s.addLogin(); }},
        {cmdLoginDelete, [](SettingsDialogState& s, bool) { s.deleteSelectedLogins(); }},
        {cmdMonitorTypesReset, [](SettingsDialogState& s, bool) { s.resetMonitorTypes(); }},
    };
    for (const auto& command : commands) {
        connect(command.button, &QAbstractButton::clicked, this, [this, run = command.run](bool checked) {
            run(state(), checked);
            refresh();
        });
    }
    connect(cmdMonitorServerReset, &QPushButton::clicked, this, [this] {
        state().monitoring.resetMonitorServer(context_);
        refresh();
    });
    connect(Command6, &QPushButton::clicked, this, [this] { state().monitoring.testCapture(context_); });
    connect(cmdSameDirBrowse, &QPushButton::clicked, this, [this] {
        if (const QString folder = browse(); !folder.isEmpty())
            state().saveTo.txtSameDir = folder;
        refresh();
    });
    connect(cmdFileTypeDirBrowse, &QPushButton::clicked, this, [this] {
        if (const QString folder = browse(); !folder.isEmpty())
            state().saveTo.txtFileTypeDir = folder;
        refresh();
    });
    connect(cmdParBrowse, &QPushButton::clicked, this, [this] {
        if (const QString folder = browse(); !folder.isEmpty())
            state().setParentDir(folder);
        refresh();
    });
    connect(lstFileType, &QTreeWidget::currentItemChanged, this, [this] {
        state().saveTo.lstFileTypeSelected = lstFileType->indexOfTopLevelItem(lstFileType->currentItem());
    });
    connect(lstLogin, &QTreeWidget::itemSelectionChanged, this, [this] {
        for (int row = 0; row < lstLogin->topLevelItemCount(); ++row)
            state().logins.setLoginSelected(row, lstLogin->topLevelItem(row)->isSelected());
    });
    lstLogin->header()->setSectionsClickable(true);
    connect(lstLogin->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        state().logins.sortLogins(column);
        refresh();
    });
    txtMonitorTypes->installEventFilter(this);

    connect(Command1, &QPushButton::clicked, this, [this] {
        state().apply();
        refresh();
    });
    connect(Command3, &QPushButton::clicked, this, [this] { finish(&SettingsDialogState::ok); });
    connect(Command2, &QPushButton::clicked, this, [this] { finish(&SettingsDialogState::cancel); });
    const auto openGuide = [this] { context_.shell.open(context_.programFolder.file(QStringLiteral("help/UserGuide.html"))); };
    connect(Command4, &QPushButton::clicked, this, openGuide);
    connect(cmdVisitOurSite, &QPushButton::clicked, this, openGuide);
}

bool frmSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtMonitorTypes && event->type() == QEvent::FocusOut)
        state().monitoring.checkMonitorTypes(context_);
    return QDialog::eventFilter(watched, event);
}

QString frmSettings::browse()
{
    FolderChooserState chooser(context_);
    frmDir dialog(context_, chooser, this);
    return dialog.choose();
}

void frmSettings::finish(void (SettingsDialogState::*command)())
{
    (state().*command)();
    hide();
    deleteLater();
}

void frmSettings::reject()
{
    finish(&SettingsDialogState::cancel);
}

frmSettings* frmSettings::showFor(KevaContext& context, QWidget* parent)
{
    frmSettings* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<frmSettings*>(widget); candidate && candidate->isVisible())
            window = candidate;
    }
    if (!window) {
        window = new frmSettings(context, parent);
        window->setWindowModality(Qt::WindowModal);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

// Captions come from the language file, the built-in text standing in for a
// key it lacks; Apply starts disabled.
void frmSettings::applyCaptions()
{
    state().applyState.reset();
    setLayoutDirection(context_.text.rightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    for (const Caption& caption : captions_) {
        const QString text = context_.text.GetText(caption.key, caption.builtIn);
        if (caption.control == this)
            setWindowTitle(text);
        else
            setCaption(caption.control, text);
    }
    for (int tab = 0; tab < SSTab1->count(); ++tab)
        SSTab1->setTabText(tab, banners_[static_cast<std::size_t>(tab)]->text());
    lstLogin->headerItem()->setText(0, context_.text.GetText(QStringLiteral("090504"), QStringLiteral("Server")));
}

void frmSettings::refresh()
{
    const SettingsDialogState& s = state();
    // The controls show the state; setting them must not write back into it.
    std::vector<QSignalBlocker> blockers;
    for (QObject* control : findChildren<QObject*>())
        blockers.emplace_back(control);
    const auto setText = [](QLineEdit* box, const QString& text) {
        if (box->text() != text)
            box->setText(text);
    };
    lblRan->setText(s.information.lblRan);
    lblDownloads->setText(s.information.lblDownloads);
    lblBytes->setText(s.information.lblBytes);
    lblLocation->setText(s.information.lblLocation);
    lblVersion->setText(s.information.lblVersion);
    chkStartWin->setChecked(s.starting.chkStartWin);
    chkStartIE->setChecked(s.starting.chkStartIE);
    chkClipboard->setChecked(s.monitoring.chkClipboard);
    chkIE->setChecked(s.monitoring.chkIE);
    setText(txtMonitorTypes, s.monitoring.txtMonitorTypes);
    setText(txtMonitorServer, s.monitoring.txtMonitorServer);
    setText(txtTestURL, s.monitoring.txtTestURL);

    using Rule = SaveToPage::Rule;
    optLastDir->setChecked(s.saveTo.optLastDir);
    optSameDir->setChecked(s.saveTo.optSameDir);
    optFileType->setChecked(s.saveTo.optFileType);
    optFileInfo->setChecked(s.saveTo.optFileInfo);
    frameLastDir->setVisible(s.saveTo.frameShown(Rule::LastDir));
    frameSameDir->setVisible(s.saveTo.frameShown(Rule::SameDir));
    frameFileType->setVisible(s.saveTo.frameShown(Rule::FileType));
    frameFileInfo->setVisible(s.saveTo.frameShown(Rule::FileInfo));
    lblLastDir->setText(s.saveTo.lblLastDir);
    setText(txtSameDir, s.saveTo.txtSameDir);
    setText(txtFileType, s.saveTo.txtFileType);
    setText(txtFileTypeDir, s.saveTo.txtFileTypeDir);
    setText(txtParentDir, s.saveTo.txtParentDir);
    optServer->setChecked(s.saveTo.optServer);
    optDate->setChecked(s.saveTo.optDate);
    optFileExt->setChecked(s.saveTo.optFileExt);
    lstFileType->clear();
    for (const FileTypeFolder& entry : s.saveTo.lstFileType)
        lstFileType->addTopLevelItem(new QTreeWidgetItem({entry.fileType, entry.folder}));
    if (s.saveTo.lstFileTypeSelected >= 0)
        lstFileType->setCurrentItem(lstFileType->topLevelItem(s.saveTo.lstFileTypeSelected));

    chkFtpPASV->setChecked(s.proxy.chkFtpPASV);
    chkUseProxy->setChecked(s.proxy.chkUseProxy);
    chkFTPProxy->setChecked(s.proxy.chkFTPProxy);
    chkLogProx->setChecked(s.proxy.chkLogProx);
    chkPass->setChecked(s.proxy.chkPass);
    chkLoginReq->setChecked(s.proxy.chkLoginReq);
    setText(txtProxyServer, s.proxy.txtProxyServer);
    setText(txtProxyPort, s.proxy.txtProxyPort);
    setText(txtUserID, s.proxy.txtUserID);
    setText(txtPass, s.proxy.txtPass);
    for (QWidget* control : std::initializer_list<QWidget*> {frameProxy, txtProxyServer, txtProxyPort, chkFTPProxy,
                                                             chkLogProx})
        control->setEnabled(s.proxy.proxyEnabled);
    txtUserID->setEnabled(s.proxy.loginEnabled);
    chkPass->setEnabled(s.proxy.loginEnabled);
    txtPass->setEnabled(s.proxy.txtPassEnabled);
    frameLoginRequired->setEnabled(s.proxy.frameLoginRequiredEnabled);

    setText(txtTimeout, s.connections.txtTimeout);
    chkStopResume->setChecked(s.connections.chkStopResume);
    setText(txtTimeResume, s.connections.txtTimeResume);
    setText(txtTimeNoResume, s.connections.txtTimeNoResume);
    chkRetry->setChecked(s.connections.chkRetry);
    setText(txtRetryTime, s.connections.txtRetryTime);
    setText(txtRetries, s.connections.txtRetries);
    setText(txtRollback, s.connections.txtRollback);
    setText(txtSpeedLimit, s.connections.txtSpeedLimit);
    setText(txtLimitHTTP, s.limits.txtLimitHTTP);
    setText(txtLimitFTP, s.limits.txtLimitFTP);

    setText(txtLoginServer, s.logins.txtLoginServer);
    setText(txtLoginUsername, s.logins.txtLoginUsername);
    setText(txtLoginPassword, s.logins.txtLoginPassword);
    lstLogin->clear();
    for (int row = 0; row < s.logins.lstLogin.size(); ++row) {
        const SiteLogin& login = s.logins.lstLogin[row];
        auto* item = new QTreeWidgetItem({login.server, login.userName, login.password});
        lstLogin->addTopLevelItem(item);
        item->setSelected(s.logins.isLoginSelected(row));
    }

    chkPromptDone->setChecked(s.whenDone.chkPromptDone);
    chkCloseWindow->setChecked(s.whenDone.chkCloseWindow);
    chkDownloadNow->setChecked(s.whenDone.chkDownloadNow);
    chkDownloadLater->setChecked(s.whenDone.chkDownloadLater);
    chkDownloadPrompt->setChecked(s.whenDone.chkDownloadPrompt);
    chkSegment->setChecked(s.segments.chkSegment);
    Frame11->setEnabled(s.segments.segmentsEnabled);
    for (std::size_t i = 1; i <= 9; ++i)
        setText(txtSegment[i], s.segments.txtSegment[i]);
    Command1->setEnabled(s.applyState.Command1Enabled);
}
