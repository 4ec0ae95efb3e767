#pragma once
// os::IRegistry over the narrow registry functions of advapi32. Key and value names and the
// data of the string types are UTF-8 on this side and the ANSI code page on the system's.

#include "platform/os/Registry.h"

namespace os::win32 {

class Win32Registry final : public os::IRegistry {
 public:
  std::int32_t OpenKey(RegKey key, const std::string& subKey, RegKey& result) override;
  std::int32_t OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired, RegKey& result) override;
  std::int32_t CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired, RegKey& result,
                           std::uint32_t* disposition) override;
  std::int32_t CloseKey(RegKey key) override;
  std::int32_t QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) override;
  std::int32_t SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) override;
  std::int32_t DeleteValue(RegKey key, const std::string& valueName) override;
};

}  // namespace os::win32
