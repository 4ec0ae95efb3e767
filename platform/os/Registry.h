#pragma once
// The registry calls the program makes, with the arguments, results and error codes of the
// narrow-text Win32 functions they stand for. Texts are UTF-8; the Win32 implementation
// converts names and string data to and from the ANSI code page at the boundary.

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

// A registry key handle. Predefined keys have the values Windows gives them (sign-extended
// 32-bit numbers, as HKEY_LOCAL_MACHINE is on 64-bit Windows).
using RegKey = std::uintptr_t;

constexpr RegKey PredefinedKey(std::uint32_t value) {
  return static_cast<RegKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

inline constexpr RegKey kHKeyClassesRoot = PredefinedKey(0x80000000u);
inline constexpr RegKey kHKeyCurrentUser = PredefinedKey(0x80000001u);
inline constexpr RegKey kHKeyLocalMachine = PredefinedKey(0x80000002u);
inline constexpr RegKey kHKeyUsers = PredefinedKey(0x80000003u);
inline constexpr RegKey kHKeyPerformanceData = PredefinedKey(0x80000004u);
inline constexpr RegKey kHKeyCurrentConfig = PredefinedKey(0x80000005u);
inline constexpr RegKey kHKeyDynData = PredefinedKey(0x80000006u);

// Access rights (REGSAM).
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyCreateLink = 0x0020;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;
inline constexpr std::uint32_t kKeyWow64Res = 0x0300;
inline constexpr std::uint32_t kReadControl = 0x00020000;
inline constexpr std::uint32_t kKeyRead = 0x00020019;
inline constexpr std::uint32_t kKeyWrite = 0x00020006;
inline constexpr std::uint32_t kKeyAllAccess = 0x000F003F;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegResourceList = 8;
inline constexpr std::uint32_t kRegFullResourceDescriptor = 9;
inline constexpr std::uint32_t kRegResourceRequirementsList = 10;
inline constexpr std::uint32_t kRegQword = 11;

// RegCreateKeyEx dispositions.
inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

// Win32 error codes the registry calls give back.
inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorBadPathname = 161;
inline constexpr std::int32_t kErrorMoreData = 234;

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // RegOpenKeyA: opens with the rights the caller is granted.
  virtual std::int32_t OpenKey(RegKey key, const std::string& subKey, RegKey& result) = 0;
  // RegOpenKeyExA (options 0).
  virtual std::int32_t OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                                 RegKey& result) = 0;
  // RegCreateKeyExA with REG_OPTION_NON_VOLATILE, no class and no security attributes;
  // disposition may be null.
  virtual std::int32_t CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                                   RegKey& result, std::uint32_t* disposition) = 0;
  // RegCloseKey.
  virtual std::int32_t CloseKey(RegKey key) = 0;
  // RegQueryValueExA: type, data and size may each be null. With data null (or too small)
  // size receives the data size in bytes; a buffer too small gives kErrorMoreData.
  // String data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) is UTF-8 with its terminating zero.
  virtual std::int32_t QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) = 0;
  // RegSetValueExA; string data as UTF-8 with its terminating zero.
  virtual std::int32_t SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) = 0;
  // RegDeleteValueA.
  virtual std::int32_t DeleteValue(RegKey key, const std::string& valueName) = 0;
};

inline IRegistry& Registry() { return Get<IRegistry>(); }

}  // namespace os
