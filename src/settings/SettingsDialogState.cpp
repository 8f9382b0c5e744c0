#include "settings/SettingsDialogState.h"

#include "core/Formatting.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingText.h"
#include "settings/SettingsIniFile.h"
#include "settings/SettingsSchema.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <numeric>

namespace {

const QString kSettingsIni = QStringLiteral("Settings.ini");

// The folder part of a path: empty for a bare name or a file in the root.
QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QString();
}

// Exactly one of a group of options holds; with none, the first.
void keepOneOption(std::initializer_list<bool*> group)
{
    bool seen = false;
    for (bool* option : group) {
        *option = *option && !seen;
        seen = seen || *option;
    }
    if (!seen)
        **group.begin() = true;
}

bool isOn(const QString& text)
{
    return SettingText::truth(text).value_or(false);
}

} // namespace

SettingsDialogState::SettingsDialogState(KevaContext& context)
    : context_(context)
{
}

void SettingsDialogState::ShowSettings()
{
    const SettingsStore store(context_.registry);
    AppSettings& settings = context_.appSettings;
    // A value in the dialog's unit, with the dialog's fallback; where the
    // table says so the record's field takes it as well.
    const auto get = [&](const QString& name) {
        const SettingSpec& spec = SettingsSchema::spec(name);
        const QString text = store.forDialog(spec);
        if (spec.dialogSetsField)
            spec.load(settings, text);
        return text;
    };
    const auto getL = [&](const char* name) { return get(QString::fromLatin1(name)); };

    lblLocation = context_.programFolder.path();
    lblVersion = QStringLiteral("%1.%2").arg(KEVA_VERSION_MAJOR).arg(KEVA_VERSION_MINOR);

    chkStartWin = settings.StartupWithWindows;
    chkClipboard = settings.ClipboardMonitoring;
    chkIE = SettingText::isNumberOne(getL("ClickCapture"));
    txtMonitorTypes = getL("MonitorTypes");
    txtMonitorServer = getL("MonitorServer");
    txtLimitHTTP = getL("LimitHTTP");
    txtLimitFTP = getL("LimitFTP");

    txtTimeout = getL("Timeout");
    txtTimeResume = getL("TimeResume");
    txtTimeNoResume = getL("TimeNoResume");
    txtRetryTime = getL("RetryTime");
    txtRetries = getL("Retries");
    txtRollback = getL("Rollback");
    txtSpeedLimit = getL("SpeedLimit");
    getL("StopResume");
    chkStopResume = settings.StopResume;
    getL("Retry");
    chkRetry = settings.Retry;

    getL("Segment");
    chkSegment = settings.Segment != 0;
    for (int i = 1; i <= 9; ++i)
        txtSegment[static_cast<std::size_t>(i)] = get(SettingsSchema::segmentName(i));

    getL("PromptDone");
    chkPromptDone = settings.PromptDone;
    getL("CloseDownloadWindowWhenDone");
    chkCloseWindow = settings.CloseDownloadWindowWhenDone;
    chkDownloadNow = isOn(getL("DownloadNowOption"));
    chkDownloadLater = isOn(getL("DownloadLaterOption"));
    chkDownloadPrompt = isOn(getL("DownloadPromptOption"));
    keepOneOption({&chkDownloadPrompt, &chkDownloadNow, &chkDownloadLater});

    getL("Downloads");
    getL("AllBytes");
    lblRan = QString::number(settings.RunTimes);
    lblDownloads = QString::number(settings.Downloads);
    lblBytes = FormatSize(settings.AllBytes);

    getL("UsePASV");
    chkFtpPASV = settings.UsePASV;
    getL("UseProxy");
    chkUseProxy = settings.UseProxy;
    txtProxyServer = getL("ProxyServer");
    txtProxyPort = getL("ProxyPort");
    getL("UseFTPProxy");
    chkFTPProxy = settings.UseFTPProxy;
    txtUserID = getL("UserID");
    txtPass = getL("UserPass");
    getL("LoginProxy");
    chkLogProx = settings.LoginProxy;
    getL("UsePass");
    chkPass = settings.UsePass;

    optSameDir = isOn(getL("SaveSameDir"));
    optFileType = isOn(getL("SaveFileType"));
    optFileInfo = isOn(getL("SaveFileInfo"));
    optLastDir = false;
    keepOneOption({&optLastDir, &optSameDir, &optFileType, &optFileInfo});
    txtSameDir = getL("TextSameDir");
    txtParentDir = getL("ParentDir");
    optServer = isOn(getL("UseServer"));
    optDate = isOn(getL("UseDate"));
    optFileExt = isOn(getL("UseFileExt"));
    keepOneOption({&optServer, &optDate, &optFileExt});
    copySaveLocation();

    LoadfromINI();
    lblLastDir = lastDirCaption();
    Command1Enabled = false;
}

void SettingsDialogState::StoreSettings()
{
    SettingsStore store(context_.registry);
    const auto put = [&](const QString& name, const auto& control) {
        store.stage(name, SettingsSchema::stored(SettingsSchema::spec(name), control));
    };
    const auto putL = [&](const char* name, const auto& control) { put(QString::fromLatin1(name), control); };
    putL("ClipboardMonitoring", chkClipboard);
    putL("LimitHTTP", txtLimitHTTP);
    putL("LimitFTP", txtLimitFTP);
    putL("ClickCapture", chkIE);
    putL("StartupWithWindows", chkStartWin);
    putL("PromptDone", chkPromptDone);
    putL("CloseDownloadWindowWhenDone", chkCloseWindow);
    putL("DownloadNowOption", chkDownloadNow);
    putL("DownloadLaterOption", chkDownloadLater);
    putL("DownloadPromptOption", chkDownloadPrompt);
    putL("MonitorTypes", txtMonitorTypes);
    putL("MonitorServer", txtMonitorServer);
    putL("Timeout", txtTimeout);
    putL("StopResume", chkStopResume);
    putL("TimeResume", txtTimeResume);
    putL("TimeNoResume", txtTimeNoResume);
    putL("Retry", chkRetry);
    putL("RetryTime", txtRetryTime);
    putL("Retries", txtRetries);
    putL("Rollback", txtRollback);
    putL("SpeedLimit", txtSpeedLimit);
    putL("Segment", chkSegment);
    for (int i = 1; i <= 9; ++i)
        put(SettingsSchema::segmentName(i), txtSegment[static_cast<std::size_t>(i)]);
    putL("SaveSameDir", optSameDir);
    putL("TextSameDir", txtSameDir);
    putL("SaveLastDir", lblLastDir);
    putL("SaveFileType", optFileType);
    putL("SaveFileInfo", optFileInfo);
    putL("ParentDir", txtParentDir);
    putL("UseServer", optServer);
    putL("UseDate", optDate);
    putL("UseFileExt", optFileExt);
    putL("UsePASV", chkFtpPASV);
    putL("UseProxy", chkUseProxy);
    putL("ProxyServer", txtProxyServer);
    putL("ProxyPort", txtProxyPort);
    putL("UseFTPProxy", chkFTPProxy);
    putL("UserID", txtUserID);
    putL("UserPass", txtPass);
    putL("LoginProxy", chkLogProx);
    putL("UsePass", chkPass);
    // All values in one write: a crash keeps the old settings or the new ones.
    store.commit();
    SaveToINI();
}

void SettingsDialogState::SaveToINI()
{
    SettingsIniFile::write(context_.programFolder.file(kSettingsIni), lastDirCaption(), lstFileType, lstLogin);
}

void SettingsDialogState::LoadfromINI()
{
    lstFileType.clear();
    lstFileTypeSelected = -1;
    lstLogin.clear();
    lstLoginSelected_.clear();
    const auto content = SettingsIniFile::read(context_.programFolder.file(kSettingsIni));
    if (!content)
        return;
    if (content->lastSavePath)
        context_.LastSavePath = *content->lastSavePath;
    lstFileType = content->fileTypes;
    lstLogin = content->logins;
    lstLoginSelected_ = QList<bool>(lstLogin.size(), false);
}

void SettingsDialogState::apply()
{
    StoreSettings();
    LoadSettings(context_, LoadReason::Reload);
    Command1Enabled = false;
}

void SettingsDialogState::ok()
{
    StoreSettings();
    LoadSettings(context_, LoadReason::Reload);
    context_.closeSettingsDialog();
}

void SettingsDialogState::cancel()
{
    context_.closeSettingsDialog();
}

void SettingsDialogState::addLogin()
{
    const auto refuse = [&](const char* key, const QString& fallback = QString()) {
        context_.prompter.tell(context_.text.GetText(QString::fromLatin1(key), fallback), KevaContext::kTitle,
                               Prompter::Icon::Exclamation);
    };
    if (txtLoginServer.trimmed().isEmpty())
        return refuse("11017");
    if (txtLoginUsername.trimmed().isEmpty())
        return refuse("11018");
    if (txtLoginPassword.trimmed().isEmpty())
        return refuse("11019");
    if (!PasswordScrambler::canStore(txtLoginPassword))
        return refuse("11016", QStringLiteral("A password can not hold control characters."));

    lstLogin.append({txtLoginServer, txtLoginUsername, txtLoginPassword});
    lstLoginSelected_.append(false);
    txtLoginServer.clear();
    txtLoginUsername.clear();
    txtLoginPassword.clear();
    Command1Enabled = true;
}

void SettingsDialogState::deleteSelectedLogins()
{
    for (qsizetype row = lstLogin.size() - 1; row >= 0; --row) {
        if (lstLoginSelected_[row]) {
            lstLogin.removeAt(row);
            lstLoginSelected_.removeAt(row);
        }
    }
    Command1Enabled = true;
}

void SettingsDialogState::sortLogins(int column)
{
    lstLoginAscending = !lstLoginAscending;
    const auto field = [column](const SiteLogin& login) -> const QString& {
        return column == 1 ? login.userName : column == 2 ? login.password : login.server;
    };
    QList<qsizetype> order(lstLogin.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int compared = field(lstLogin[a]).compare(field(lstLogin[b]), Qt::CaseInsensitive);
        return lstLoginAscending ? compared < 0 : compared > 0;
    });
    QList<SiteLogin> logins;
    QList<bool> selected;
    for (const qsizetype row : order) {
        logins.append(lstLogin[row]);
        selected.append(lstLoginSelected_[row]);
    }
    lstLogin = logins;
    lstLoginSelected_ = selected;
}

void SettingsDialogState::setLoginSelected(int row, bool selected)
{
    lstLoginSelected_.resize(lstLogin.size(), false);
    if (row >= 0 && row < lstLoginSelected_.size())
        lstLoginSelected_[row] = selected;
}

bool SettingsDialogState::isLoginSelected(int row) const
{
    return row >= 0 && row < lstLoginSelected_.size() && lstLoginSelected_[row];
}

void SettingsDialogState::addFileType()
{
    if (txtFileType.isEmpty() || txtFileTypeDir.isEmpty())
        return;
    lstFileType.append({txtFileType, txtFileTypeDir});
    txtFileType.clear();
    txtFileTypeDir.clear();
    Command1Enabled = true;
}

void SettingsDialogState::removeSelectedFileType()
{
    if (lstFileTypeSelected < 0 || lstFileTypeSelected >= lstFileType.size())
        return;
    lstFileType.removeAt(lstFileTypeSelected);
    lstFileTypeSelected = lstFileType.isEmpty() ? -1 : std::min<int>(lstFileTypeSelected, int(lstFileType.size()) - 1);
    Command1Enabled = true;
}

void SettingsDialogState::copySaveLocation()
{
    SaveLocationChoice& choice = context_.saveLocation;
    choice.SaveLastDir = optLastDir;
    choice.SaveSameDir = optSameDir;
    choice.SaveFileType = optFileType;
    choice.SaveFileInfo = optFileInfo;
    choice.TextSameDir = txtSameDir;
    choice.ParentDir = txtParentDir;
    choice.UseServer = optServer;
    choice.UseDate = optDate;
    choice.UseFileExt = optFileExt;
}

// The last save path when it names a file in a folder, else the program folder.
QString SettingsDialogState::lastDirCaption() const
{
    return folderOf(context_.LastSavePath).isEmpty() ? context_.programFolder.path() : context_.LastSavePath;
}
