#pragma once

#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"

#include <QString>

// What a page of the settings dialog reads and writes: values in the dialog's
// units with the dialog's fallbacks, as the settings table says. Reading a
// value that the table marks so also sets its field of the settings record.
class SettingsPageIO {
public:
    SettingsPageIO(SettingsStore& store, AppSettings& settings);

    QString read(const QString& name);
    QString read(const char* name) { return read(QString::fromLatin1(name)); }
    // An option or check box: "True"/"False" or a number, off when neither.
    bool readSwitch(const char* name);

    void write(const QString& name, const QString& typed);
    void write(const char* name, const QString& typed) { write(QString::fromLatin1(name), typed); }
    void write(const char* name, bool checked);

    AppSettings& settings;

private:
    SettingsStore& store_;
};
