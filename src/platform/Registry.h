#pragma once

#include "platform/ParsedFileCache.h"
#include "platform/RegistryHive.h"
#include "platform/RegistryRoot.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// The registry: one hive file per root, "<root name>.reg", in one folder.
//
// Key paths use "\" between their parts; empty parts are ignored. An empty
// value name stands for a key's default value. Every change re-reads the hive
// and replaces the file atomically while holding an advisory lock, so two
// processes writing at once never lose each other's values. Reads take no
// lock: they see either the old or the new file. A hive that cannot be
// written is still read.
//
// Reads go through the parse of the hive file kept from the last read, which
// is taken again only when the file has changed (see ParsedFileCache): a
// write by another process replaces the file and is seen by the next read.
// This object's own writes update the kept parse. Within a
// RegistryReadSession all reads see one version of each hive.
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
    // Writes several values of one key in one replacement of the hive file:
    // after a crash the hive holds all of them or none.
    using Values = QList<std::pair<QString, QString>>; // name, data
    bool writeValues(RegistryRoot root, const QString& keyPath, const Values& values);
    // Rewrites values of one key from their texts as stored at the time of
    // the write (empty when missing), under the lock, so that what another
    // process wrote in between is built on, not overwritten. `update` gets
    // the stored values of `names`, in their order, and returns the values
    // to write.
    using Update = std::function<Values(const Values& stored)>;
    bool updateValues(RegistryRoot root, const QString& keyPath, const QStringList& names, const Update& update);
    bool deleteValue(RegistryRoot root, const QString& keyPath, const QString& name);
    // Deletes a key that has no subkeys.
    bool deleteKey(RegistryRoot root, const QString& keyPath);

    RegistryHive load(RegistryRoot root) const;

    // How many times this object read and parsed the hive file of `root`.
    int parseCount(RegistryRoot root) const { return hive(root).parseCount(); }

    // Removes the temporary files that writers killed while replacing a
    // hive left behind (the rule is AtomicFile's); returns how many.
    int removeStaleTemporaries() const;

private:
    friend class RegistryReadSession;

    ParsedFileCache<RegistryHive>& hive(RegistryRoot root) const { return hives_[static_cast<std::size_t>(root)]; }
    std::shared_ptr<const RegistryHive> snapshot(RegistryRoot root) const;
    static QStringList splitPath(const QString& keyPath);
    // Runs `edit` on the current hive under the lock; writes the hive back when it returns true.
    bool modify(RegistryRoot root, const std::function<bool(RegistryHive&)>& edit);

    QString folder_;
    mutable std::array<ParsedFileCache<RegistryHive>, std::size(kRegistryRoots)> hives_;
};
