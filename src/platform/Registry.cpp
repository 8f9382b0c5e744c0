#include "platform/Registry.h"

#include "platform/AtomicFile.h"
#include "platform/UniqueFd.h"
#include "platform/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Holds an exclusive flock on a lock file beside the hive. The hive itself is
// replaced by rename, so it cannot carry the lock.
class HiveLock {
public:
    explicit HiveLock(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd_.valid() && ::flock(fd_.get(), LOCK_EX) != 0)
            fd_.close();
    }

    bool held() const { return fd_.valid(); }

private:
    UniqueFd fd_;
};

} // namespace

Registry::Registry(QString folder)
    : folder_(std::move(folder))
{
}

QString Registry::defaultFolder()
{
    const QString explicitFolder = qEnvironmentVariable("KEVA_REGISTRY_DIR");
    if (!explicitFolder.isEmpty())
        return explicitFolder;
    return XdgFolders::configHome() + QStringLiteral("/Quillspan/registry");
}

QString Registry::hivePath(RegistryRoot root) const
{
    return folder_ + QLatin1Char('/') + registryRootName(root) + QStringLiteral(".reg");
}

namespace {

// Parses a hive file's content; a missing file is an empty hive.
auto hiveParser(RegistryRoot root)
{
    return [root](const std::optional<QByteArray>& content) {
        return content ? RegistryHive::parse(registryRootName(root), *content) : RegistryHive(registryRootName(root));
    };
}

} // namespace

RegistryHive Registry::load(RegistryRoot root) const
{
    return *snapshot(root);
}

std::shared_ptr<const RegistryHive> Registry::snapshot(RegistryRoot root) const
{
    return hive(root).snapshot(hivePath(root), hiveParser(root));
}

std::optional<QString> Registry::readValue(RegistryRoot root, const QString& keyPath, const QString& name) const
{
    return snapshot(root)->value(splitPath(keyPath), name);
}

bool Registry::keyExists(RegistryRoot root, const QString& keyPath) const
{
    return snapshot(root)->hasKey(splitPath(keyPath));
}

QStringList Registry::subkeys(RegistryRoot root, const QString& keyPath) const
{
    return snapshot(root)->subkeys(splitPath(keyPath));
}

bool Registry::createKey(RegistryRoot root, const QString& keyPath)
{
    const QStringList path = splitPath(keyPath);
    return modify(root, [&](RegistryHive& hive) {
        hive.createKey(path);
        return true;
    });
}

bool Registry::writeValue(RegistryRoot root, const QString& keyPath, const QString& name, const QString& data)
{
    const QStringList path = splitPath(keyPath);
    return modify(root, [&](RegistryHive& hive) {
        hive.setValue(path, name, data);
        return true;
    });
}

bool Registry::writeValues(RegistryRoot root, const QString& keyPath, const Values& values)
{
    const QStringList path = splitPath(keyPath);
    return modify(root, [&](RegistryHive& hive) {
        for (const auto& [name, data] : values)
            hive.setValue(path, name, data);
        return true;
    });
}

bool Registry::updateValues(RegistryRoot root, const QString& keyPath, const QStringList& names, const Update& update)
{
    const QStringList path = splitPath(keyPath);
    return modify(root, [&](RegistryHive& hive) {
        Values stored;
        for (const QString& name : names)
            stored.append({name, hive.value(path, name).value_or(QString())});
        for (const auto& [name, data] : update(stored))
            hive.setValue(path, name, data);
        return true;
    });
}

int Registry::removeStaleTemporaries() const
{
    int removed = 0;
    for (const RegistryRoot root : kRegistryRoots)
        removed += AtomicFile::removeStaleTemporaries(hivePath(root));
    return removed;
}

bool Registry::deleteValue(RegistryRoot root, const QString& keyPath, const QString& name)
{
    const QStringList path = splitPath(keyPath);
    return modify(root, [&](RegistryHive& hive) { return hive.removeValue(path, name); });
}

bool Registry::deleteKey(RegistryRoot root, const QString& keyPath)
{
    const QStringList path = splitPath(keyPath);
    return modify(root, [&](RegistryHive& hive) { return hive.removeKey(path); });
}

QStringList Registry::splitPath(const QString& keyPath)
{
    return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

bool Registry::modify(RegistryRoot root, const std::function<bool(RegistryHive&)>& edit)
{
    if (!QDir().mkpath(folder_))
        return false;
    const HiveLock lock(hivePath(root) + QStringLiteral(".lock"));
    if (!lock.held())
        return false;
    // A hive that exists but cannot be read must not be replaced by an empty one.
    const QFileInfo existing(hivePath(root));
    if (existing.exists() && !existing.isReadable())
        return false;
    // Under the lock the file is the one to change, whatever a read session holds.
    RegistryHive edited = *hive(root).latest(hivePath(root), hiveParser(root));
    if (!edit(edited))
        return false;
    if (!AtomicFile::write(hivePath(root), edited.serialize(), 0600))
        return false;
    hive(root).keep(hivePath(root), std::move(edited));
    return true;
}
