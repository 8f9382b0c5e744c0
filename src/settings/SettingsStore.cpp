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

bool SettingsStore::addToDownloadCounters(std::int32_t downloads, double bytes, AppSettings& settings)
{
    const QString count = QStringLiteral("Downloads");
    const QString total = QStringLiteral("AllBytes");
    std::int32_t newCount = 0;
    double newTotal = 0;
    const bool written = registry_.updateValues(
        kRoot, SettingsDefaults::kSettingsKey, {count, total}, [&](const Registry::Values& stored) {
            newCount = stored[0].second.toInt() + downloads;
            newTotal = stored[1].second.toDouble() + bytes;
            return Registry::Values {{count, QString::number(newCount)}, {total, QString::number(newTotal, 'f', 0)}};
        });
    if (written) {
        settings.Downloads = newCount;
        settings.AllBytes = newTotal;
    }
    return written;
}
