#include "site/SiteDownloadState.h"

#include "core/CaptionTable.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"
#include "site/SiteCrawl.h"

#include <cmath>

namespace {

// The dialog's captioned controls, with their language keys.
constexpr CaptionKey kCaptions[] = {
    {"frmSiteDown", "12000", "Site Downloader"},
    {"Frame1", "12001", "File Types to Download: "},
    {"chkTxt", "12002", "Text/ HTM/ HTML"},
    {"chkGif", "12003", "Gif/Jpeg"},
    {"chkAll", "12004", "All Files"},
    {"Frame2", "12005", "Number of files to dowload: "},
    {"optNoLim", "12006", "No Limit"},
    {"Label1", "12007", "File(s)"},
    {"chkCloseWindow", "12008", "Close download windows after download is done."},
    {"cmdNext", "12009", "&Next"},
    {"cmdCancel", "05004", "&Cancel"},
    {"asxPowerBanner1", "12010", "Site Downloader"},
};

const QString kIncorrectValue = QStringLiteral("Incorrect Value");

// Check boxes are stored as "1"/"0", option buttons as "-1"/"0".
QString checkText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString optionText(bool selected)
{
    return selected ? QStringLiteral("-1") : QStringLiteral("0");
}

} // namespace

SiteDownloadState::SiteDownloadState(KevaContext& context, SiteCrawl& crawl, QObject* parent)
    : QObject(parent)
    , context_(context)
    , crawl_(crawl)
{
    captions_ = CaptionTable(kCaptions);
}

bool SiteDownloadState::rightToLeft() const
{
    return context_.text.rightToLeft();
}

void SiteDownloadState::showDialog()
{
    captions_ = CaptionTable(kCaptions, &context_.text);
    load();
    visible = true;
    emit changed();
}

void SiteDownloadState::load()
{
    const CRegister reg(context_.registry);
    const auto get = [&](const char* name, const char* fallback) {
        return reg.REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                                 QString::fromLatin1(name), QString::fromLatin1(fallback));
    };
    // "1", "-1" and "True" alike; a text that is none of them counts as the default.
    const auto truth = [&](const char* name, bool fallback) {
        return SettingText::truth(get(name, fallback ? "1" : "0")).value_or(fallback);
    };
    chkTxt = truth("FileTypeTxt", true);
    chkGif = truth("FileTypeGif", false);
    chkAll = truth("FileTypeAll", false);
    // Of the two options the limit wins only when it is stored as chosen.
    optFiles = truth("FileNumNoFiles", false);
    optNoLim = !optFiles;
    txtNum = get("FileNumNoNum", "10");
    Save();
    applyEnabling();
}

void SiteDownloadState::Save()
{
    SiteOptions& options = crawl_.options;
    options.FileTypeTxt = chkTxt;
    options.FileTypeGif = chkGif;
    options.FileTypeAll = chkAll;
    options.FileNumNoLim = optNoLim;
    options.FileNumNoFiles = optFiles;
    options.FileNumNoNum = txtNum;
    chkCloseWindow = CRegister(context_.registry)
                         .REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                                        QStringLiteral("CloseDownloadWindowWhenDone"))
        == QStringLiteral("1");
}

void SiteDownloadState::applyEnabling()
{
    chkTxtEnabled = !chkAll;
    chkGifEnabled = !chkAll;
    txtNumEnabled = optFiles;
}

void SiteDownloadState::setTxt(bool checked)
{
    chkTxt = checked;
}

void SiteDownloadState::setGif(bool checked)
{
    chkGif = checked;
}

void SiteDownloadState::chkAll_Click(bool checked)
{
    chkAll = checked;
    applyEnabling();
    emit changed();
}

void SiteDownloadState::optNoLim_Click()
{
    optNoLim = true;
    optFiles = false;
    applyEnabling();
    emit changed();
}

void SiteDownloadState::optFiles_Click()
{
    optNoLim = false;
    optFiles = true;
    applyEnabling();
    emit changed();
}

bool SiteDownloadState::txtNum_LostFocus()
{
    const QString incorrectValue = context_.text.GetText(QStringLiteral("12017"), kIncorrectValue);
    bool numeric = false;
    const double value = txtNum.trimmed().toDouble(&numeric);
    if (!numeric) {
        context_.prompter.tell(context_.text.GetText(QStringLiteral("11053"), QStringLiteral("Enter Numeric Value")),
                               incorrectValue, Prompter::Icon::Exclamation);
        return false;
    }
    if (value < 1 || value > 99) {
        context_.prompter.tell(
            context_.text.GetText(QStringLiteral("11054"), QStringLiteral("Enter an integer between 1 and 99")),
            incorrectValue, Prompter::Icon::Exclamation);
        return false;
    }
    // Halves go to the even neighbour.
    txtNum = QString::number(static_cast<int>(std::nearbyint(value)));
    emit changed();
    return true;
}

void SiteDownloadState::store() const
{
    CRegister reg(context_.registry);
    const auto put = [&](const char* name, const QString& value) {
        reg.REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey, QString::fromLatin1(name),
                           value);
    };
    put("FileTypeTxt", checkText(chkTxt));
    put("FileTypeGif", checkText(chkGif));
    put("FileTypeAll", checkText(chkAll));
    put("FileNumNoLim", optionText(optNoLim));
    put("FileNumNoFiles", optionText(optFiles));
    put("FileNumNoNum", txtNum);
    put("CloseDownloadWindowWhenDone", checkText(chkCloseWindow));
}

void SiteDownloadState::cmdNext()
{
    // A number the box would refuse on leaving it is refused here too.
    if (txtNumEnabled && !txtNum_LostFocus())
        return;
    store();
    context_.appSettings.CloseDownloadWindowWhenDone = chkCloseWindow;
    Save();
    visible = false;
    emit changed();
    emit closed();
    crawl_.begin();
    if (openAddUrl)
        openAddUrl();
}

void SiteDownloadState::cmdCancel()
{
    visible = false;
    emit changed();
    emit closed();
}
