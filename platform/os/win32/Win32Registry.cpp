#include "platform/os/win32/Win32Registry.h"

#include <windows.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/os/win32/Text.h"

namespace os::win32 {

namespace {

// The predefined constants of Registry.h are the values windows.h gives the HKEYs, so a
// handle crosses the seam as its plain number.
HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey ToRegKey(HKEY key) { return reinterpret_cast<RegKey>(key); }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::string Narrow(const std::string& utf8) { return Utf8ToAnsi(utf8); }

}  // namespace

std::int32_t Win32Registry::OpenKey(RegKey key, const std::string& subKey, RegKey& result) {
  HKEY opened = ToHkey(result);
  const LONG code = RegOpenKeyA(ToHkey(key), Narrow(subKey).c_str(), &opened);
  result = ToRegKey(opened);
  return code;
}

std::int32_t Win32Registry::OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                                      RegKey& result) {
  HKEY opened = ToHkey(result);
  const LONG code = RegOpenKeyExA(ToHkey(key), Narrow(subKey).c_str(), 0, samDesired, &opened);
  result = ToRegKey(opened);
  return code;
}

std::int32_t Win32Registry::CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                                        RegKey& result, std::uint32_t* disposition) {
  HKEY created = ToHkey(result);
  DWORD how = 0;
  const LONG code = RegCreateKeyExA(ToHkey(key), Narrow(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    samDesired, nullptr, &created, disposition != nullptr ? &how : nullptr);
  result = ToRegKey(created);
  if (disposition != nullptr && code == ERROR_SUCCESS) *disposition = how;
  return code;
}

std::int32_t Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

std::int32_t Win32Registry::QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  const HKEY hkey = ToHkey(key);
  const std::string name = Narrow(valueName);

  // The whole value is read first: the size the caller sees is that of the data it gets,
  // which for text is the UTF-8 form, not the ANSI one the system stores.
  DWORD valueType = REG_NONE;
  DWORD length = 0;
  LONG code = RegQueryValueExA(hkey, name.c_str(), nullptr, &valueType, nullptr, &length);
  if (code != ERROR_SUCCESS) return code;
  std::vector<BYTE> bytes(length);
  for (;;) {
    length = static_cast<DWORD>(bytes.size());
    code = RegQueryValueExA(hkey, name.c_str(), nullptr, &valueType, bytes.empty() ? nullptr : bytes.data(),
                            &length);
    if (code == ERROR_MORE_DATA && length > bytes.size()) {
      bytes.resize(length);  // grew between the two calls
      continue;
    }
    if (code != ERROR_SUCCESS) return code;
    bytes.resize(length);
    break;
  }
  if (IsStringType(valueType)) {
    const std::string utf8 = AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    bytes.assign(utf8.begin(), utf8.end());
  }
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return ERROR_INVALID_DATA;

  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (type != nullptr) *type = valueType;
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed != 0) std::memcpy(data, bytes.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

std::int32_t Win32Registry::SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                                       const std::uint8_t* data, std::uint32_t size) {
  const std::string name = Narrow(valueName);
  if (data != nullptr && IsStringType(type)) {
    const std::string ansi = Utf8ToAnsi(std::string_view(reinterpret_cast<const char*>(data), size));
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(ansi.data()),
                          static_cast<DWORD>(ansi.size()));
  }
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

std::int32_t Win32Registry::DeleteValue(RegKey key, const std::string& valueName) {
  return RegDeleteValueA(ToHkey(key), Narrow(valueName).c_str());
}

}  // namespace os::win32
