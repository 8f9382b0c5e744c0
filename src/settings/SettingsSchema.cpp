#include "settings/SettingsSchema.h"

#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"

#include <QtGlobal>

namespace {

using Entry = SettingEntry;
using FirstRun = SettingEntry::FirstRun;
using Page = SettingsPage;
using Unit = SettingUnit;

QString text(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

// Loaders, one per kind of field.
template <auto Field> void truthField(AppSettings& s, const QString& t)
{
    SettingText::assignTruth(s.*Field, t);
}

template <auto Field> void numberOneField(AppSettings& s, const QString& t)
{
    s.*Field = SettingText::isNumberOne(t);
}

template <auto Field> void exactlyOneField(AppSettings& s, const QString& t)
{
    s.*Field = t == QStringLiteral("1");
}

template <auto Field> void integerField(AppSettings& s, const QString& t)
{
    SettingText::assignInteger(s.*Field, t);
}

template <auto Field> void textField(AppSettings& s, const QString& t)
{
    s.*Field = t;
}

void allBytesField(AppSettings& s, const QString& t)
{
    SettingText::assignNumber(s.AllBytes, t);
}

template <int Index> void segmentBound(AppSettings& s, const QString& t)
{
    if (const auto bytes = SettingText::number(t))
        s.setSegmentBound(Index, *bytes);
}

// A value that the first run writes, the loader reads into the record and the
// dialog shows with the same default.
Entry everywhere(const char* name, const char* value, Entry::Loader load, Unit unit, Page page, bool dialogSetsField)
{
    return {text(name), FirstRun::Text, text(value), text(value), load, text(value), dialogSetsField, unit, page};
}

// A value that the first run does not write: the loader and the dialog fall
// back on the load default.
Entry loadedOnly(const char* name, const char* loadDefault, Entry::Loader load, Unit unit, Page page)
{
    return {text(name), FirstRun::NotWritten, {}, text(loadDefault), load, text(loadDefault), true, unit, page};
}

// A value that only the dialog reads (and the parts that read it from the dialog).
Entry dialogOnly(const char* name, FirstRun firstRun, const QString& firstRunText, const char* fallback, Unit unit,
                 Page page)
{
    return {text(name), firstRun, firstRunText, {}, nullptr, text(fallback), false, unit, page};
}

template <int Index> Entry segmentSize()
{
    const QString bytes = SettingsDefaults::kSegmentSizes[Index - 1];
    return {SettingsSchema::segmentName(Index),
            FirstRun::Text,
            bytes,
            bytes,
            &segmentBound<Index>,
            bytes,
            false,
            Unit::BytesAsMegabytes,
            Page::Segments};
}

QList<Entry> makeTable()
{
    const QString none;
    QList<Entry> table = {
        // Counted by the loader itself: a missing value marks the first run.
        {text("RunTimes"), FirstRun::Text, text("1"), {}, nullptr, {}, false, Unit::Count, Page::Information},
        loadedOnly("Downloads", "0", &integerField<&AppSettings::Downloads>, Unit::Count, Page::Information),
        loadedOnly("AllBytes", "0", &allBytesField, Unit::Bytes, Page::Information),

        // The dialog shows the record's field, not the stored text.
        {text("StartupWithWindows"),
         FirstRun::Text,
         text("1"),
         text("-1"),
         &truthField<&AppSettings::StartupWithWindows>,
         {},
         false,
         Unit::CheckBox,
         Page::Starting},
        {text("ClipboardMonitoring"),
         FirstRun::Text,
         text("1"),
         text(""),
         &numberOneField<&AppSettings::ClipboardMonitoring>,
         {},
         false,
         Unit::CheckBox,
         Page::Monitoring},
        {text("ClickCapture"), FirstRun::Text, text("1"), text(""), &numberOneField<&AppSettings::ClickCapture>,
         text(""), false, Unit::CheckBox, Page::Monitoring},
        dialogOnly("MonitorTypes", FirstRun::Text, SettingsDefaults::kMonitorTypes, "", Unit::Text, Page::Monitoring),
        dialogOnly("MonitorServer", FirstRun::Text, SettingsDefaults::kMonitorServer, "", Unit::Text, Page::Monitoring),

        dialogOnly("SaveSameDir", FirstRun::Text, text("0"), "", Unit::Option, Page::SaveTo),
        dialogOnly("TextSameDir", FirstRun::ProgramFolder, none, "", Unit::Text, Page::SaveTo),
        // Written with the caption of the last-directory label; nothing reads it.
        {text("SaveLastDir"), FirstRun::Text, text("-1"), {}, nullptr, {}, false, Unit::Text, Page::SaveTo},
        dialogOnly("SaveFileType", FirstRun::Text, text("0"), "", Unit::Option, Page::SaveTo),
        dialogOnly("SaveFileInfo", FirstRun::Text, text("0"), "", Unit::Option, Page::SaveTo),
        dialogOnly("ParentDir", FirstRun::ProgramFolder, none, "", Unit::Text, Page::SaveTo),
        dialogOnly("UseServer", FirstRun::Text, text("0"), "", Unit::Option, Page::SaveTo),
        dialogOnly("UseDate", FirstRun::Text, text("0"), "", Unit::Option, Page::SaveTo),
        dialogOnly("UseFileExt", FirstRun::Text, text("0"), "", Unit::Option, Page::SaveTo),

        loadedOnly("UsePASV", "0", &truthField<&AppSettings::UsePASV>, Unit::CheckBox, Page::Proxy),
        loadedOnly("UseProxy", "0", &truthField<&AppSettings::UseProxy>, Unit::CheckBox, Page::Proxy),
        loadedOnly("ProxyServer", "", &textField<&AppSettings::ProxyServer>, Unit::Text, Page::Proxy),
        loadedOnly("ProxyPort", "80", &integerField<&AppSettings::ProxyPort>, Unit::Count, Page::Proxy),
        loadedOnly("UseFTPProxy", "0", &truthField<&AppSettings::UseFTPProxy>, Unit::CheckBox, Page::Proxy),
        loadedOnly("UserID", "", &textField<&AppSettings::UserID>, Unit::Text, Page::Proxy),
        loadedOnly("UserPass", "", &textField<&AppSettings::UserPass>, Unit::Text, Page::Proxy),
        loadedOnly("LoginProxy", "0", &truthField<&AppSettings::LoginProxy>, Unit::CheckBox, Page::Proxy),
        loadedOnly("UsePass", "0", &truthField<&AppSettings::UsePass>, Unit::CheckBox, Page::Proxy),

        everywhere("Timeout", "60", &integerField<&AppSettings::Timeout>, Unit::Seconds, Page::Connections, false),
        everywhere("StopResume", "1", &truthField<&AppSettings::StopResume>, Unit::CheckBox, Page::Connections, true),
        everywhere("TimeResume", "300", &integerField<&AppSettings::TimeResume>, Unit::SecondsAsMinutes,
                   Page::Connections, false),
        everywhere("TimeNoResume", "600", &integerField<&AppSettings::TimeNoResume>, Unit::SecondsAsMinutes,
                   Page::Connections, false),
        everywhere("Retry", "1", &truthField<&AppSettings::Retry>, Unit::CheckBox, Page::Connections, true),
        // The dialog falls back on shorter waits and fewer retries than the
        // first run stores: both are kept as they have always been.
        {text("RetryTime"), FirstRun::Text, text("300"), text("300"), &integerField<&AppSettings::RetryTime>,
         text("60"), false, Unit::Seconds, Page::Connections},
        {text("Retries"), FirstRun::Text, text("30"), text("30"), &integerField<&AppSettings::Retries>, text("3"),
         false, Unit::Count, Page::Connections},
        everywhere("Rollback", "4096", &integerField<&AppSettings::Rollback>, Unit::BytesAsKilobytes, Page::Connections,
                   false),
        // 0: no limit. Not written on the first run.
        {text("SpeedLimit"),
         FirstRun::NotWritten,
         {},
         text("0"),
         &integerField<&AppSettings::SpeedLimit>,
         text("0"),
         false,
         Unit::KilobytesPerSecond,
         Page::Connections},

        loadedOnly("RpcEnabled", "0", &truthField<&AppSettings::RpcEnabled>, Unit::CheckBox, Page::Connections),
        loadedOnly("RpcPort", "6800", &integerField<&AppSettings::RpcPort>, Unit::Count, Page::Connections),
        loadedOnly("RpcSecret", "", &textField<&AppSettings::RpcSecret>, Unit::Text, Page::Connections),
        loadedOnly("RpcListenAddress", "127.0.0.1", &textField<&AppSettings::RpcListenAddress>, Unit::Text,
                   Page::Connections),
        loadedOnly("RpcAllowedOrigins", "", &textField<&AppSettings::RpcAllowedOrigins>, Unit::Text, Page::Connections),

        dialogOnly("LimitHTTP", FirstRun::NotWritten, none, "3", Unit::Count, Page::Limits),
        dialogOnly("LimitFTP", FirstRun::NotWritten, none, "3", Unit::Count, Page::Limits),
        // Downloads at once over all servers; 0: no limit.
        dialogOnly("LimitAll", FirstRun::NotWritten, none, "3", Unit::Count, Page::Limits),

        // On exactly for "1"; the first run stores "0".
        {text("PromptDone"), FirstRun::Text, text("0"), text(""), &exactlyOneField<&AppSettings::PromptDone>, text(""),
         true, Unit::CheckBox, Page::WhenDone},
        {text("CloseDownloadWindowWhenDone"), FirstRun::Text, text("0"), text(""),
         &exactlyOneField<&AppSettings::CloseDownloadWindowWhenDone>, text(""), true, Unit::CheckBox, Page::WhenDone},
        // On for a new user; older settings without it read as on too.
        everywhere("NotifyWhenDone", "1", &truthField<&AppSettings::NotifyWhenDone>, Unit::CheckBox, Page::WhenDone,
                   true),
        loadedOnly("AllDoneAction", "0", &integerField<&AppSettings::AllDoneAction>, Unit::Count, Page::WhenDone),
        loadedOnly("AllDoneCommand", "", &textField<&AppSettings::AllDoneCommand>, Unit::Text, Page::WhenDone),
        everywhere("DownloadNowOption", "0", &truthField<&AppSettings::DownloadNowOption>, Unit::Option, Page::WhenDone,
                   false),
        everywhere("DownloadLaterOption", "0", &truthField<&AppSettings::DownloadLaterOption>, Unit::Option,
                   Page::WhenDone, false),
        everywhere("DownloadPromptOption", "-1", &truthField<&AppSettings::DownloadPromptOption>, Unit::Option,
                   Page::WhenDone, false),

        everywhere("Segment", "1", &integerField<&AppSettings::Segment>, Unit::CheckBox, Page::Segments, true),
        segmentSize<1>(),
        segmentSize<2>(),
        segmentSize<3>(),
        segmentSize<4>(),
        segmentSize<5>(),
        segmentSize<6>(),
        segmentSize<7>(),
        segmentSize<8>(),
        segmentSize<9>(),

        // Written on the first run only; nothing reads them.
        {text("UseCustom"), FirstRun::Text, text("0"), {}, nullptr, {}, false, Unit::Option, Page::None},
        {text("TextCustom"),
         FirstRun::Text,
         SettingsDefaults::kTextCustom,
         {},
         nullptr,
         {},
         false,
         Unit::Text,
         Page::None},
    };
    return table;
}

// How many stored units one shown unit holds.
double shownUnit(SettingUnit unit)
{
    switch (unit) {
    case Unit::SecondsAsMinutes: return 60;
    case Unit::BytesAsKilobytes: return 1024;
    case Unit::BytesAsMegabytes: return 1048576;
    default: return 1;
    }
}

} // namespace

const QList<SettingEntry>& SettingsSchema::all()
{
    static const QList<SettingEntry> table = makeTable();
    return table;
}

const SettingEntry& SettingsSchema::find(const QString& name)
{
    for (const SettingEntry& entry : all()) {
        if (entry.name == name)
            return entry;
    }
    qFatal("settings value %s is not in the settings table", qPrintable(name));
}

QString SettingsSchema::segmentName(int index)
{
    return QStringLiteral("SegmentSize%1").arg(index);
}

QString SettingsSchema::shown(const SettingEntry& entry, const QString& stored)
{
    const double unit = shownUnit(entry.unit);
    const auto value = unit == 1 ? std::nullopt : SettingText::number(stored);
    return value ? SettingText::fromNumber(*value / unit) : stored;
}

QString SettingsSchema::stored(const SettingEntry& entry, const QString& typed)
{
    const double unit = shownUnit(entry.unit);
    const auto value = unit == 1 ? std::nullopt : SettingText::number(typed);
    return value ? SettingText::fromNumber(*value * unit) : typed;
}

QString SettingsSchema::stored(const SettingEntry& entry, bool checked)
{
    if (entry.unit == Unit::Option)
        return checked ? QStringLiteral("True") : QStringLiteral("False");
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}
