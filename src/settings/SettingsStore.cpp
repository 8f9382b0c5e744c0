#include "settings/SettingsStore.h"

#include "settings/CRegister.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsSchema.h"

namespace {

constexpr auto kRoot = RegistryRoot::HKEY_LOCAL_MACHINE;

} // namespace

SettingsStore::SettingsStore(Registry& registry)
    : registry_(registry)
{
}

QString SettingsStore::get(const QString& name, const QString& fallback) const
{
    return CRegister(registry_).REGGetSetting(kRoot, SettingsDefaults::kSettingsKey, name, fallback);
}

QString SettingsStore::forLoad(const SettingEntry& entry) const
{
    return get(entry.name, entry.loadDefault.value_or(QString()));
}

QString SettingsStore::forDialog(const SettingEntry& entry) const
{
    return SettingsSchema::shown(entry, get(entry.name, entry.dialogFallback.value_or(QString())));
}

bool SettingsStore::put(const QString& name, const QString& text)
{
    return CRegister(registry_).REGSaveSetting(kRoot, SettingsDefaults::kSettingsKey, name, text);
}

bool SettingsStore::putSwitch(const QString& name, bool on)
{
    return put(name, SettingsSchema::stored(SettingsSchema::find(name), on));
}

void SettingsStore::stage(const QString& name, const QString& text)
{
    staged_.append({name, text});
}

bool SettingsStore::putAll(const Registry::Values& values)
{
    return CRegister(registry_).REGSaveSettings(kRoot, SettingsDefaults::kSettingsKey, values);
}

bool SettingsStore::commit()
{
    const bool written = putAll(staged_);
    staged_.clear();
    return written;
}

bool SettingsStore::putDownloadCounters(const AppSettings& settings)
{
    stage(QStringLiteral("Downloads"), QString::number(settings.Downloads));
    stage(QStringLiteral("AllBytes"), QString::number(settings.AllBytes, 'f', 0));
    return commit();
}
