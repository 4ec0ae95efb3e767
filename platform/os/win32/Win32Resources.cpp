#include "platform/os/win32/Win32Resources.h"

#include <windows.h>

#include "platform/os/win32/Text.h"

namespace os::win32 {

std::optional<std::string> Win32Resources::LoadRcData(const std::string& name) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const std::wstring wideName = Utf8ToWide(name);
  HRSRC info = FindResourceW(module, wideName.c_str(), MAKEINTRESOURCEW(10));
  if (info == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace os::win32
