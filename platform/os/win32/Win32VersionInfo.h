#pragma once
// os::IVersionInfo over GetFileVersionInfoSizeW, GetFileVersionInfoW and VerQueryValueW.

#include "platform/os/VersionInfo.h"

namespace os::win32 {

class Win32VersionInfo final : public os::IVersionInfo {
 public:
  std::uint32_t VersionInfoSize(const std::string& fileName, std::uint32_t& handle) override;
  bool VersionInfoCopy(const std::string& fileName, std::uint32_t handle, std::uint32_t size, void* data) override;
  bool VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
                         std::uint32_t& length) override;
};

}  // namespace os::win32
