#include "platform/bmrRegistryText.h"

#include <cstdint>

std::string RootKeyToString(os::RegKey key) {
  // Handles are 32-bit values in the 32-bit program; the predefined ones are sign-extended
  // where RegKey is wider.
  const auto value = static_cast<std::uint32_t>(key);
  switch (value) {
    case 0x80000000u:
      return "HKEY_CLASSES_ROOT";
    case 0x80000001u:
      return "HKEY_CURRENT_USER";
    case 0x80000002u:
      return "HKEY_LOCAL_MACHINE";
    case 0x80000003u:
      return "HKEY_USERS";
    case 0x80000004u:
      return "HKEY_PERFORMANCE_DATA";
    case 0x80000005u:
      return "HKEY_CURRENT_CONFIG";
    case 0x80000006u:
      return "HKEY_DYN_DATA";
    default:
      return std::to_string(static_cast<std::int32_t>(value));
  }
}
