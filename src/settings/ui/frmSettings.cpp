#include "settings/ui/frmSettings.h"

#include "settings/AllDoneAction.h"
#include "settings/FolderChooserState.h"
#include "settings/KevaContext.h"
#include "settings/SettingsDialogState.h"
#include "settings/UserGuide.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/ChildSignalBlocker.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/TopLevelWindow.h"
#include "uiutil/WindowActivation.h"
#include "uiutil/frmDir.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <QAbstractButton>

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

} // namespace

frmSettings::frmSettings(KevaContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    setObjectName(QStringLiteral("frmSettings"));
    captions_.push_back({this, QStringLiteral("Settings"), QStringLiteral("090000")});
    buildPages(this);
    Command3 = make<QPushButton>(this, "Command3", "OK", "02006");
    Command3->setDefault(true);
    Command2 = make<QPushButton>(this, "Command2", "&Cancel", "05004");
    Command1 = make<QPushButton>(this, "Command1", "&Apply", "090002");
    Command4 = make<QPushButton>(this, "Command4", "&Help", "01040");
    auto* body = new QVBoxLayout(this);
    body->addWidget(SSTab1);
    body->addLayout(DialogLayout::buttonRow({Command3, Command2, Command1, Command4}));
    connectControls();
    applyCaptions();
    showCurrentCounters();
    new WindowActivation(this, [this] {
        applyCaptions();
        showCurrentCounters();
    });
}

SettingsDialogState& frmSettings::state() const
{
    return context_.settingsDialogState();
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
        {txtRpcPort, [](SettingsDialogState& s) -> QString& { return s.connections.txtRpcPort; }, true},
        {txtRpcAddress, [](SettingsDialogState& s) -> QString& { return s.connections.txtRpcAddress; }, true},
        {txtRpcOrigins, [](SettingsDialogState& s) -> QString& { return s.connections.txtRpcOrigins; }, true},
        {txtLimitHTTP, [](SettingsDialogState& s) -> QString& { return s.limits.txtLimitHTTP; }, true},
        {txtLimitFTP, [](SettingsDialogState& s) -> QString& { return s.limits.txtLimitFTP; }, true},
        {txtLimitAll, [](SettingsDialogState& s) -> QString& { return s.limits.txtLimitAll; }, true},
        {txtLoginServer, [](SettingsDialogState& s) -> QString& { return s.logins.txtLoginServer; }, false},
        {txtLoginUsername, [](SettingsDialogState& s) -> QString& { return s.logins.txtLoginUsername; }, false},
        {txtLoginPassword, [](SettingsDialogState& s) -> QString& { return s.logins.txtLoginPassword; }, false},
        {txtAllDoneCommand, [](SettingsDialogState& s) -> QString& { return s.whenDone.txtAllDoneCommand; }, true},
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
        {chkNotifyWhenDone, [](SettingsDialogState& s, bool on) { s.whenDone.chkNotifyWhenDone = on; }},
        {chkFtpPASV, [](SettingsDialogState& s, bool on) { s.proxy.chkFtpPASV = on; }},
        {chkFTPProxy, [](SettingsDialogState& s, bool on) { s.proxy.chkFTPProxy = on; }},
        {chkRetry, [](SettingsDialogState& s, bool on) { s.connections.chkRetry = on; }},
        {chkStopResume, [](SettingsDialogState& s, bool on) { s.connections.chkStopResume = on; }},
        {chkDownloadNow,
         [](SettingsDialogState& s, bool) {
             s.whenDone.chkDownloadNow = true;
             s.whenDone.chkDownloadLater = s.whenDone.chkDownloadPrompt = false;
         }},
        {chkDownloadLater,
         [](SettingsDialogState& s, bool) {
             s.whenDone.chkDownloadLater = true;
             s.whenDone.chkDownloadNow = s.whenDone.chkDownloadPrompt = false;
         }},
        {chkDownloadPrompt,
         [](SettingsDialogState& s, bool) {
             s.whenDone.chkDownloadPrompt = true;
             s.whenDone.chkDownloadNow = s.whenDone.chkDownloadLater = false;
         }},
        {optServer,
         [](SettingsDialogState& s, bool) {
             s.saveTo.optServer = true;
             s.saveTo.optDate = s.saveTo.optFileExt = false;
         }},
        {optDate,
         [](SettingsDialogState& s, bool) {
             s.saveTo.optDate = true;
             s.saveTo.optServer = s.saveTo.optFileExt = false;
         }},
        {optFileExt,
         [](SettingsDialogState& s, bool) {
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
        {chkStartWin, [](SettingsDialogState& s, bool on) { s.setStartWin(on); }},
        {chkStartIE, [](SettingsDialogState& s, bool on) { s.setStartIE(on); }},
        {chkUseProxy, [](SettingsDialogState& s, bool on) { s.setUseProxy(on); }},
        {chkLogProx, [](SettingsDialogState& s, bool on) { s.setLogProx(on); }},
        {chkPass, [](SettingsDialogState& s, bool on) { s.proxy.setPass(on); }},
        {chkLoginReq, [](SettingsDialogState& s, bool on) { s.proxy.setLoginReq(on); }},
        {chkSegment, [](SettingsDialogState& s, bool on) { s.setSegment(on); }},
        {chkRpc, [](SettingsDialogState& s, bool on) { s.setRpc(on); }},
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
        state().monitoring.resetMonitorServer(context_.prompter, context_.text);
        refresh();
    });
    connect(Command6, &QPushButton::clicked, this,
            [this] { state().monitoring.testCapture(context_.prompter, context_.text); });
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
    connect(cmdRpcSecretCopy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(state().connections.txtRpcSecret); });
    connect(cboAllDone, &QComboBox::activated, this, [this](int index) {
        state().whenDone.cboAllDone = allDoneActionOf(index);
        state().applyState.changed();
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
    // The project's page is the user guide for now.
    const auto openGuide = [this] { OpenUserGuide(context_.programFolder, context_.shell); };
    connect(Command4, &QPushButton::clicked, this, openGuide);
    connect(cmdVisitOurSite, &QPushButton::clicked, this, openGuide);
}

bool frmSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtMonitorTypes && event->type() == QEvent::FocusOut)
        state().monitoring.checkMonitorTypes(context_.prompter, context_.text);
    return QDialog::eventFilter(watched, event);
}

QString frmSettings::browse()
{
    FolderChooserState chooser(context_.prompter, context_.text);
    frmDir dialog(context_.text, chooser, this);
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
    auto* window = TopLevelWindow::find<frmSettings>([](const frmSettings& open) { return open.isVisible(); });
    if (!window) {
        window = new frmSettings(context, parent);
        window->setWindowModality(Qt::WindowModal);
    }
    TopLevelWindow::bringForward(window);
    return window;
}

// The caption routine, when the dialog loads and on each activation: Apply is
// disabled, then the captions come from the language file, the built-in text
// standing in for a key it lacks.
void frmSettings::applyCaptions()
{
    state().applyState.reset();
    applyLayoutDirection(*this, context_.text.rightToLeft());
    for (const Caption& caption : captions_) {
        const QString text = context_.text.caption(caption.key, caption.builtIn);
        if (caption.control == this)
            setWindowTitle(text);
        else
            setCaption(caption.control, text);
    }
    for (int tab = 0; tab < SSTab1->count(); ++tab)
        SSTab1->setTabText(tab, banners_[static_cast<std::size_t>(tab)]->text());
    struct ColumnTitle {
        QTreeWidget* list;
        int column;
        const char* key;
        const char* builtIn;
    };
    const ColumnTitle titles[] = {
        {lstFileType, 0, "090435", "File Type"}, {lstFileType, 1, "090436", "Directory"},
        {lstLogin, 0, "090504", "Server"},       {lstLogin, 1, "090802", "Username"},
        {lstLogin, 2, "090510", "Password"},
    };
    for (const ColumnTitle& title : titles) {
        title.list->headerItem()->setText(
            title.column, context_.text.caption(QString::fromLatin1(title.key), QString::fromLatin1(title.builtIn)));
    }
    const std::pair<const char*, const char*> allDoneEntries[] = {
        {"090910", "Do nothing"}, {"090911", "Run a command"}, {"090912", "Suspend"}, {"090913", "Shut down"}};
    int entry = 0;
    for (const auto& [key, builtIn] : allDoneEntries)
        cboAllDone->setItemText(entry++, context_.text.caption(QString::fromLatin1(key), QString::fromLatin1(builtIn)));
}

// The counters as they stand now: downloads finished since the dialog's
// values were read count too.
void frmSettings::showCurrentCounters()
{
    state().information.showCounters(context_.appSettings);
    refresh();
}

void frmSettings::refresh()
{
    const SettingsDialogState& s = state();
    const ChildSignalBlocker quiet(*this);
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
    for (QWidget* control :
         std::initializer_list<QWidget*> {frameProxy, txtProxyServer, txtProxyPort, chkFTPProxy, chkLogProx})
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
    chkRpc->setChecked(s.connections.chkRpc);
    setText(txtRpcPort, s.connections.txtRpcPort);
    setText(txtRpcAddress, s.connections.txtRpcAddress);
    setText(txtRpcSecret, s.connections.txtRpcSecret);
    setText(txtRpcOrigins, s.connections.txtRpcOrigins);
    for (QWidget* control :
         std::initializer_list<QWidget*> {txtRpcPort, txtRpcAddress, txtRpcSecret, cmdRpcSecretCopy, txtRpcOrigins})
        control->setEnabled(s.connections.chkRpc);
    setText(txtLimitHTTP, s.limits.txtLimitHTTP);
    setText(txtLimitFTP, s.limits.txtLimitFTP);
    setText(txtLimitAll, s.limits.txtLimitAll);

    setText(txtLoginServer, s.logins.txtLoginServer);
    setText(txtLoginUsername, s.logins.txtLoginUsername);
    setText(txtLoginPassword, s.logins.txtLoginPassword);
    lstLogin->clear();
    for (int row = 0; row < s.logins.lstLogin.size(); ++row) {
        const SiteLogin& login = s.logins.lstLogin[row];
        // A password is not shown, nor how long it is.
        auto* item = new QTreeWidgetItem(
            {login.server, login.userName, login.password.isEmpty() ? QString() : QString(8, QChar(0x25CF))});
        lstLogin->addTopLevelItem(item);
        item->setSelected(s.logins.isLoginSelected(row));
    }

    chkPromptDone->setChecked(s.whenDone.chkPromptDone);
    chkCloseWindow->setChecked(s.whenDone.chkCloseWindow);
    chkNotifyWhenDone->setChecked(s.whenDone.chkNotifyWhenDone);
    cboAllDone->setCurrentIndex(static_cast<int>(s.whenDone.cboAllDone));
    setText(txtAllDoneCommand, s.whenDone.txtAllDoneCommand);
    txtAllDoneCommand->setEnabled(s.whenDone.txtAllDoneCommandEnabled());
    chkDownloadNow->setChecked(s.whenDone.chkDownloadNow);
    chkDownloadLater->setChecked(s.whenDone.chkDownloadLater);
    chkDownloadPrompt->setChecked(s.whenDone.chkDownloadPrompt);
    chkSegment->setChecked(s.segments.chkSegment);
    Frame11->setEnabled(s.segments.segmentsEnabled);
    for (std::size_t i = 1; i <= 9; ++i)
        setText(txtSegment[i], s.segments.txtSegment[i]);
    Command1->setEnabled(s.applyState.Command1Enabled);
}
