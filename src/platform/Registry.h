#pragma once

#include "platform/RegistryHive.h"
#include "platform/RegistryRoot.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The registry: one hive file per root, "<root name>.reg", in one folder.
//
// Key paths use "\" between their parts; empty parts are ignored. An empty
// value name stands for a key's default value. Every change re-reads the hive
// and replaces the file atomically while holding an advisory lock, so two
// processes writing at once never lose each other's values. Reads take no
// lock: they see either the old or the new file. A hive that cannot be
// written is still read.
class Registry {
public:
    explicit Registry(QString folder);

    // $KEVA_REGISTRY_DIR when set, else $XDG_CONFIG_HOME/Quillspan/registry
    // (XDG_CONFIG_HOME defaulting to ~/.config).
    static QString defaultFolder();

    QString folder() const { return folder_; }
    QString hivePath(RegistryRoot root) const;

    std::optional<QString> readValue(RegistryRoot root, const QString& keyPath, const QString& name) const;
    bool keyExists(RegistryRoot root, const QString& keyPath) const;
    QStringList subkeys(RegistryRoot root, const QString& keyPath) const;

    bool createKey(RegistryRoot root, const QString& keyPath);
    bool writeValue(RegistryRoot root, const QString& keyPath, const QString& name, const QString& data);
    bool deleteValue(RegistryRoot root, const QString& keyPath, const QString& name);
    // Deletes a key that has no subkeys.
    bool deleteKey(RegistryRoot root, const QString& keyPath);

    RegistryHive load(RegistryRoot root) const;

private:
    static QStringList splitPath(const QString& keyPath);
    // Runs `edit` on the current hive under the lock; writes the hive back when it returns true.
    bool modify(RegistryRoot root, const std::function<bool(RegistryHive&)>& edit);

    QString folder_;
};
