#include "platform/RegistryRoot.h"

QString registryRootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case RegistryRoot::HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case RegistryRoot::HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    }
    return {};
}
