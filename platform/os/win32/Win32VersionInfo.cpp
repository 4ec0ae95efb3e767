#include "platform/os/win32/Win32VersionInfo.h"

#include <windows.h>

#include "platform/os/win32/Text.h"

namespace os::win32 {

std::uint32_t Win32VersionInfo::VersionInfoSize(const std::string& fileName, std::uint32_t& handle) {
  DWORD h = 0;
  const DWORD size = GetFileVersionInfoSizeW(Utf8ToWide(fileName).c_str(), &h);
  handle = h;
  return size;
}

bool Win32VersionInfo::VersionInfoCopy(const std::string& fileName, std::uint32_t handle, std::uint32_t size,
                                       void* data) {
  return GetFileVersionInfoW(Utf8ToWide(fileName).c_str(), handle, size, data) != FALSE;
}

bool Win32VersionInfo::VersionQueryValue(const void* block, const std::u16string& subBlock, const void*& value,
                                         std::uint32_t& length) {
  const std::wstring path(subBlock.begin(), subBlock.end());
  void* found = nullptr;
  UINT foundLength = 0;
  if (!VerQueryValueW(block, path.c_str(), &found, &foundLength)) return false;
  value = found;
  length = foundLength;
  return true;
}

}  // namespace os::win32
