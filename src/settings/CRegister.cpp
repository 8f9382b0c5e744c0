#include "settings/CRegister.h"

QString NormalizeKeyPath(const QString& section)
{
    QString path = section;
    if (path.startsWith(QLatin1Char('\\')))
        path.remove(0, 1);
    if (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}

CRegister::CRegister(Registry& registry)
    : registry_(registry)
{
}

bool CRegister::REGDeleteSetting(RegistryRoot root, const QString& section, const QString& valueName)
{
    const QString key = NormalizeKeyPath(section);
    if (valueName.isEmpty())
        return registry_.deleteKey(root, key);
    return registry_.deleteValue(root, key, valueNameFor(valueName));
}

QString CRegister::REGGetSetting(RegistryRoot root, const QString& section, const QString& valueName,
                                 const QString& defaultValue) const
{
    const auto value = registry_.readValue(root, NormalizeKeyPath(section), valueNameFor(valueName));
    return value && !value->isEmpty() ? *value : defaultValue;
}

bool CRegister::REGSaveSetting(RegistryRoot root, const QString& section, const QString& valueName, const QString& text)
{
    return registry_.writeValue(root, NormalizeKeyPath(section), valueNameFor(valueName), text);
}

bool CRegister::REGSaveSettings(RegistryRoot root, const QString& section, const Registry::Values& values)
{
    Registry::Values named;
    for (const auto& [valueName, text] : values)
        named.append({valueNameFor(valueName), text});
    return registry_.writeValues(root, NormalizeKeyPath(section), named);
}

QStringList CRegister::GetAllKeys(RegistryRoot root, const QString& section) const
{
    return registry_.subkeys(root, NormalizeKeyPath(section));
}

QString CRegister::valueNameFor(const QString& valueName)
{
    return valueName == QStringLiteral("*") ? QString() : valueName;
}
