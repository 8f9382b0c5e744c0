#include "settings/SettingsDialogState.h"

#include "core/Formatting.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsIniFile.h"

#include <algorithm>
#include <numeric>

namespace {

const QString kSettingsIni = QStringLiteral("Settings.ini");
constexpr double kMinute = 60;
constexpr double kKilobyte = 1024;
constexpr double kMegabyte = 1048576;

// A stored number shown in a bigger unit ("300" seconds as "5" minutes); a
// text that is no number is shown as it is.
QString shownIn(const QString& stored, double unit)
{
    const auto value = SettingText::number(stored);
    return value ? SettingText::fromNumber(*value / unit) : stored;
}

// The reverse: "5" minutes stored as "300"; a text that is no number is stored as typed.
QString storedFrom(const QString& typed, double unit)
{
    const auto value = SettingText::number(typed);
    return value ? SettingText::fromNumber(*value * unit) : typed;
}

QString checkText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString optionText(bool selected)
{
    return selected ? QStringLiteral("True") : QStringLiteral("False");
}

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

} // namespace

SettingsDialogState::SettingsDialogState(KevaContext& context)
    : context_(context)
{
}

void SettingsDialogState::ShowSettings()
{
    CRegister reg(context_.registry);
    const auto get = [&](const char* name, const QString& fallback = QString()) {
        return reg.REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                                 QString::fromLatin1(name), fallback);
    };
    AppSettings& settings = context_.appSettings;

    lblLocation = context_.programFolder.path();
    lblVersion = QStringLiteral("%1.%2").arg(KEVA_VERSION_MAJOR).arg(KEVA_VERSION_MINOR);

    chkStartWin = settings.StartupWithWindows;
    chkClipboard = settings.ClipboardMonitoring;
    chkIE = SettingText::isNumberOne(get("ClickCapture"));
    txtMonitorTypes = get("MonitorTypes");
    txtMonitorServer = get("MonitorServer");
    txtLimitHTTP = get("LimitHTTP", QStringLiteral("3"));
    txtLimitFTP = get("LimitFTP", QStringLiteral("3"));

    txtTimeout = get("Timeout", QStringLiteral("60"));
    txtTimeResume = shownIn(get("TimeResume", QStringLiteral("300")), kMinute);
    txtTimeNoResume = shownIn(get("TimeNoResume", QStringLiteral("600")), kMinute);
    txtRetryTime = get("RetryTime", QStringLiteral("60"));
    txtRetries = get("Retries", QStringLiteral("3"));
    txtRollback = shownIn(get("Rollback", QStringLiteral("4096")), kKilobyte);
    SettingText::assignTruth(settings.StopResume, get("StopResume", QStringLiteral("1")));
    chkStopResume = settings.StopResume;
    SettingText::assignTruth(settings.Retry, get("Retry", QStringLiteral("1")));
    chkRetry = settings.Retry;

    SettingText::assignInteger(settings.Segment, get("Segment", QStringLiteral("1")));
    chkSegment = settings.Segment != 0;
    for (int i = 1; i <= 9; ++i) {
        const QByteArray name = "SegmentSize" + QByteArray::number(i);
        txtSegment[static_cast<std::size_t>(i)] =
            shownIn(get(name.constData(), SettingsDefaults::kSegmentSizes[i - 1]), kMegabyte);
    }

    const QString promptDone = get("PromptDone");
    chkPromptDone = settings.PromptDone = promptDone == QStringLiteral("1");
    const QString closeWhenDone = get("CloseDownloadWindowWhenDone");
    chkCloseWindow = settings.CloseDownloadWindowWhenDone = closeWhenDone == QStringLiteral("1");
    chkDownloadNow = SettingText::truth(get("DownloadNowOption", QStringLiteral("0"))).value_or(false);
    chkDownloadLater = SettingText::truth(get("DownloadLaterOption", QStringLiteral("0"))).value_or(false);
    chkDownloadPrompt = SettingText::truth(get("DownloadPromptOption", QStringLiteral("-1"))).value_or(false);
    keepOneOption({&chkDownloadPrompt, &chkDownloadNow, &chkDownloadLater});

    SettingText::assignInteger(settings.Downloads, get("Downloads", QStringLiteral("0")));
    SettingText::assignNumber(settings.AllBytes, get("AllBytes", QStringLiteral("0")));
    lblRan = QString::number(settings.RunTimes);
    lblDownloads = QString::number(settings.Downloads);
    lblBytes = FormatSize(settings.AllBytes);

    SettingText::assignTruth(settings.UsePASV, get("UsePASV", QStringLiteral("0")));
    chkFtpPASV = settings.UsePASV;
    SettingText::assignTruth(settings.UseProxy, get("UseProxy", QStringLiteral("0")));
    chkUseProxy = settings.UseProxy;
    txtProxyServer = settings.ProxyServer = get("ProxyServer");
    txtProxyPort = get("ProxyPort", QStringLiteral("80"));
    SettingText::assignInteger(settings.ProxyPort, txtProxyPort);
    SettingText::assignTruth(settings.UseFTPProxy, get("UseFTPProxy", QStringLiteral("0")));
    chkFTPProxy = settings.UseFTPProxy;
    txtUserID = settings.UserID = get("UserID");
    txtPass = settings.UserPass = get("UserPass");
    SettingText::assignTruth(settings.LoginProxy, get("LoginProxy", QStringLiteral("0")));
    chkLogProx = settings.LoginProxy;
    SettingText::assignTruth(settings.UsePass, get("UsePass", QStringLiteral("0")));
    chkPass = settings.UsePass;

    optSameDir = SettingText::truth(get("SaveSameDir")).value_or(false);
    optFileType = SettingText::truth(get("SaveFileType")).value_or(false);
    optFileInfo = SettingText::truth(get("SaveFileInfo")).value_or(false);
    optLastDir = false;
    keepOneOption({&optLastDir, &optSameDir, &optFileType, &optFileInfo});
    txtSameDir = get("TextSameDir");
    txtParentDir = get("ParentDir");
    optServer = SettingText::truth(get("UseServer")).value_or(false);
    optDate = SettingText::truth(get("UseDate")).value_or(false);
    optFileExt = SettingText::truth(get("UseFileExt")).value_or(false);
    keepOneOption({&optServer, &optDate, &optFileExt});
    copySaveLocation();

    LoadfromINI();
    lblLastDir = lastDirCaption();
    Command1Enabled = false;
}

void SettingsDialogState::StoreSettings()
{
    CRegister reg(context_.registry);
    const auto put = [&](const char* name, const QString& text) {
        reg.REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                           QString::fromLatin1(name), text);
    };
    put("ClipboardMonitoring", checkText(chkClipboard));
    put("LimitHTTP", txtLimitHTTP);
    put("LimitFTP", txtLimitFTP);
    put("ClickCapture", checkText(chkIE));
    put("StartupWithWindows", checkText(chkStartWin));
    put("PromptDone", checkText(chkPromptDone));
    put("CloseDownloadWindowWhenDone", checkText(chkCloseWindow));
    put("DownloadNowOption", optionText(chkDownloadNow));
    put("DownloadLaterOption", optionText(chkDownloadLater));
    put("DownloadPromptOption", optionText(chkDownloadPrompt));
    put("MonitorTypes", txtMonitorTypes);
    put("MonitorServer", txtMonitorServer);
    put("Timeout", txtTimeout);
    put("StopResume", checkText(chkStopResume));
    put("TimeResume", storedFrom(txtTimeResume, kMinute));
    put("TimeNoResume", storedFrom(txtTimeNoResume, kMinute));
    put("Retry", checkText(chkRetry));
    put("RetryTime", txtRetryTime);
    put("Retries", txtRetries);
    put("Rollback", storedFrom(txtRollback, kKilobyte));
    put("Segment", checkText(chkSegment));
    for (int i = 1; i <= 9; ++i) {
        const QByteArray name = "SegmentSize" + QByteArray::number(i);
        put(name.constData(), storedFrom(txtSegment[static_cast<std::size_t>(i)], kMegabyte));
    }
    put("SaveSameDir", optionText(optSameDir));
    put("TextSameDir", txtSameDir);
    put("SaveLastDir", lblLastDir);
    put("SaveFileType", optionText(optFileType));
    put("SaveFileInfo", optionText(optFileInfo));
    put("ParentDir", txtParentDir);
    put("UseServer", optionText(optServer));
    put("UseDate", optionText(optDate));
    put("UseFileExt", optionText(optFileExt));
    put("UsePASV", checkText(chkFtpPASV));
    put("UseProxy", checkText(chkUseProxy));
    put("ProxyServer", txtProxyServer);
    put("ProxyPort", txtProxyPort);
    put("UseFTPProxy", checkText(chkFTPProxy));
    put("UserID", txtUserID);
    put("UserPass", txtPass);
    put("LoginProxy", checkText(chkLogProx));
    put("UsePass", checkText(chkPass));
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
