#pragma once

#include "platform/Registry.h"
#include "settings/SettingEntry.h"

#include <QString>

#include <cstdint>

// Reads and writes the values under the settings key. Every part that writes
// a setting goes through here; values staged together are written in one
// replacement of the hive, so a crash keeps all of them or none.
class SettingsStore {
public:
    explicit SettingsStore(Registry& registry);

    // The stored text; `fallback` when the value is missing or empty.
    QString get(const QString& name, const QString& fallback = QString()) const;
    // The stored text, or the value's load default.
    QString forLoad(const SettingEntry& entry) const;
    // The stored text, or the dialog's fallback, in the dialog's unit.
    QString forDialog(const SettingEntry& entry) const;

    bool put(const QString& name, const QString& text);
    // A switch, written as the table says ("1"/"0" or "True"/"False").
    bool putSwitch(const QString& name, bool on);

    // Several values (name, text) in one write.
    bool putAll(const Registry::Values& values);
    // Values staged here are written together by commit().
    void stage(const QString& name, const QString& text);
    bool commit();

    // Adds `downloads` and `bytes` to the completion statistics as stored
    // now, both in one write, and puts the new totals into `settings`.
    bool addToDownloadCounters(std::int32_t downloads, double bytes, AppSettings& settings);

private:
    Registry& registry_;
    Registry::Values staged_;
};
