#pragma once

#include "platform/RegistryRoot.h"

// The registry roots by the short names the tests give them.
inline constexpr auto HKLM = RegistryRoot::HKEY_LOCAL_MACHINE;
inline constexpr auto HKCU = RegistryRoot::HKEY_CURRENT_USER;
