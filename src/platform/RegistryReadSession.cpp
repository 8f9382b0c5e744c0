#include "platform/RegistryReadSession.h"

#include "platform/Registry.h"

RegistryReadSession::RegistryReadSession(const Registry& registry)
    : registry_(registry)
{
    for (const RegistryRoot root : kRegistryRoots)
        registry_.hive(root).hold();
}

RegistryReadSession::~RegistryReadSession()
{
    for (const RegistryRoot root : kRegistryRoots)
        registry_.hive(root).release();
}
