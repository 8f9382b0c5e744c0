#pragma once

#include "platform/Registry.h"

#include <QString>
#include <QStringList>

// Removes one leading and one trailing "\" from a key path.
QString NormalizeKeyPath(const QString& section);

// The registry as the settings code uses it: text values under a key path
// below a root. A value name of "*" stands for the key's default value.
// Failures are not reported beyond the results below.
class CRegister {
public:
    explicit CRegister(Registry& registry);

    // With a value name, deletes that value; with an empty one, the key itself
    // (which must have no subkeys).
    bool REGDeleteSetting(RegistryRoot root, const QString& section, const QString& valueName);
    // The stored text; `defaultValue` when the key or value is missing or empty.
    QString REGGetSetting(RegistryRoot root, const QString& section, const QString& valueName,
                          const QString& defaultValue = QString()) const;
    // Creates the key (and those above it) and writes the text.
    bool REGSaveSetting(RegistryRoot root, const QString& section, const QString& valueName, const QString& text);
    // Writes several values (name, text) under one key at once: after a crash
    // all of them are stored or none.
    bool REGSaveSettings(RegistryRoot root, const QString& section, const Registry::Values& values);
    // The names of the direct subkeys, in enumeration order.
    QStringList GetAllKeys(RegistryRoot root, const QString& section) const;

private:
    static QString valueNameFor(const QString& valueName);

    Registry& registry_;
};
