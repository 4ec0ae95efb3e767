#pragma once
// Names of the registry's root keys for texts that name a registry location.

#include <string>

#include "platform/os/Registry.h"

// "HKEY_LOCAL_MACHINE" and the other predefined keys by name; any other handle as its value
// read as a signed 32-bit number. No separator: the caller appends "\path".
std::string RootKeyToString(os::RegKey key);
