#include "settings/SettingsPageIO.h"

#include "settings/SettingText.h"
#include "settings/SettingsSchema.h"

SettingsPageIO::SettingsPageIO(SettingsStore& store, AppSettings& record)
    : settings(record)
    , store_(store)
{
}

QString SettingsPageIO::read(const QString& name)
{
    const SettingEntry& entry = SettingsSchema::find(name);
    const QString text = store_.forDialog(entry);
    if (entry.dialogSetsField)
        entry.load(settings, text);
    return text;
}

bool SettingsPageIO::readSwitch(const char* name)
{
    return SettingText::truth(read(name)).value_or(false);
}

void SettingsPageIO::write(const QString& name, const QString& typed)
{
    store_.stage(name, SettingsSchema::stored(SettingsSchema::find(name), typed));
}

void SettingsPageIO::write(const char* name, bool checked)
{
    const QString key = QString::fromLatin1(name);
    store_.stage(key, SettingsSchema::stored(SettingsSchema::find(key), checked));
}
