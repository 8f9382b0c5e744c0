#pragma once

#include <QString>

// The predefined keys that the programs use, each kept in a hive file of its own.
enum class RegistryRoot {
    HKEY_CLASSES_ROOT,
    HKEY_CURRENT_USER,
    HKEY_LOCAL_MACHINE,
};

inline constexpr RegistryRoot kRegistryRoots[] = {RegistryRoot::HKEY_CLASSES_ROOT, RegistryRoot::HKEY_CURRENT_USER,
                                                  RegistryRoot::HKEY_LOCAL_MACHINE};

// "HKEY_LOCAL_MACHINE" and so on: the name used in hive files and their section headers.
QString registryRootName(RegistryRoot root);
