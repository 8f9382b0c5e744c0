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
    const SettingSpec& spec = SettingsSchema::spec(name);
    const QString text = store_.forDialog(spec);
    if (spec.dialogSetsField)
        spec.load(settings, text);
    return text;
}

bool SettingsPageIO::readSwitch(const char* name)
{
    return SettingText::truth(read(name)).value_or(false);
}

void SettingsPageIO::write(const QString& name, const QString& typed)
{
    store_.stage(name, SettingsSchema::stored(SettingsSchema::spec(name), typed));
}

void SettingsPageIO::write(const char* name, bool checked)
{
    const QString key = QString::fromLatin1(name);
    store_.stage(key, SettingsSchema::stored(SettingsSchema::spec(key), checked));
}
