#pragma once

#include "settings/AppSettings.h"

#include <QString>

#include <optional>

// The tab of the settings dialog that edits a value; None for values that no
// control edits.
enum class SettingsPage {
    None,
    Information,
    Starting,
    Monitoring,
    SaveTo,
    Proxy,
    Connections,
    Limits,
    Logins,
    WhenDone,
    Segments
};

// What a stored value counts, and so how the dialog shows and stores it.
enum class SettingUnit {
    Text,             // stored and shown as typed
    Count,            // a whole number, stored and shown as it is
    Seconds,          // seconds, shown as seconds
    SecondsAsMinutes, // seconds, shown and typed in minutes
    Bytes,            // bytes, shown as a size
    BytesAsKilobytes, // bytes, shown and typed in kilobytes (1024)
    BytesAsMegabytes, // bytes, shown and typed in megabytes (1048576)
    KilobytesPerSecond,
    CheckBox, // stored as "1" or "0"
    Option,   // stored as "True" or "False"
};

// One value under the settings key: what the first run writes, what the loader
// and the dialog use when it is missing, and how the dialog shows it.
struct SettingEntry {
    enum class FirstRun {
        NotWritten,
        Text,          // firstRunText
        ProgramFolder, // the program folder's path
    };
    // Turns a stored text into its field of the settings record; a text that
    // does not convert leaves the field as it was.
    using Loader = void (*)(AppSettings&, const QString&);

    QString name;
    FirstRun firstRun = FirstRun::NotWritten;
    QString firstRunText;
    // The text the loader reads when the value is missing or empty; none for
    // values that the settings record does not hold.
    std::optional<QString> loadDefault;
    Loader load = nullptr;
    // The text the dialog shows when the value is missing or empty; none when
    // the dialog does not read it from the store.
    std::optional<QString> dialogFallback;
    // The dialog's load also sets the record's field from what it read.
    bool dialogSetsField = false;
    SettingUnit unit = SettingUnit::Text;
    SettingsPage page = SettingsPage::None;
};
